#include "text/BlankLines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include "ModelCheck.h"
#include "text/EnginePaths.h"

namespace {

// Each case runs on each path of the engine this processor offers, named after it:
// BlankLines.RemoveTable/sse2.
class BlankLines : public testing::TestWithParam<std::string_view> {
protected:
    void SetUp() override { UseEnginePath(GetParam()); }
};
INSTANTIATE_TEST_SUITE_P(, BlankLines, testing::ValuesIn(EnginePaths()),
                         [](const auto& p) { return std::string(p.param); });

using Transform = std::u16string (*)(std::u16string_view);

using Case = std::pair<const char16_t*, const char16_t*>;  // input, expected

// Each row is checked against the engine and against the model the random tests trust.
void CheckTable(Transform fn, Transform modelFn, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(fn(c.first), c.second) << "row " << (&c - cases.begin());
        EXPECT_EQ(modelFn(c.first), c.second) << "model, row " << (&c - cases.begin());
    }
}

TEST_P(BlankLines, RemoveTable) {
    CheckTable(&RemoveBlankLines, &model::RemoveBlankLines,
               {
                   {u"", u""},
                   {u"a\r\nb", u"a\r\nb"},
                   {u"a\n\nb", u"a\n\nb"},  // lone LF and lone CR are ordinary characters
                   {u"a\r\rb", u"a\r\rb"},
                   {u"a \nb", u"a \nb"},
                   {u"a   \r\nb", u"a\r\nb"},  // only spaces directly before a break go
                   {u"a\r\n  b", u"a\r\n  b"},
                   {u"a   ", u"a   "},
                   {u"a\t \r\nb", u"a\t\r\nb"},
                   {u"a \t\r\nb", u"a \t\r\nb"},
                   {u"a\u3000\u00A0\r\nb", u"a\u3000\u00A0\r\nb"},
                   {u"   \r\nabc", u"\r\nabc"},
                   {u"a\r\n\r\nb", u"a\n\r\nb"},  // the CR of a break followed by a break goes
                   {u"a\r\n\r\n\r\nb", u"a\n\n\r\nb"},
                   {u"\r\n\r\n", u"\n\r\n"},
                   {u"x\r\r\n\r\ny", u"x\r\n\r\ny"},  // the lone CR pairs with the kept LF
                   {u"a\r\n  \r\nb", u"a\n\r\nb"},    // a line of spaces becomes blank first
                   {u"a \r\n \r\n  \r\nb", u"a\n\n\r\nb"},
               });
}

TEST_P(BlankLines, AddTable) {
    CheckTable(&AddBlankLines, &model::AddBlankLines,
               {
                   {u"", u""},
                   {u"abc", u"abc"},
                   {u"a\r\nb\r\nc", u"a\r\n\r\nb\r\n\r\nc"},
                   {u"\r\na\r\n", u"\r\n\r\na\r\n\r\n"},
                   {u"a\r\n\r\nb", u"a\r\n\r\nb"},  // runs of k breaks become 2 * ceil(k / 2)
                   {u"a\r\n\r\n\r\nb", u"a\r\n\r\n\r\n\r\nb"},
                   {u"a\r\n\r\n\r\n\r\n\r\nb", u"a\r\n\r\n\r\n\r\n\r\n\r\nb"},
                   {u"a\nb\rc", u"a\nb\rc"},  // lone LF and CR do not split
                   {u"a\r\r\nb", u"a\r\r\n\r\nb"},
                   {u"a\r\n\n\r\nb", u"a\r\n\r\n\n\r\n\r\nb"},
               });
}

// The repeated replace passes would take one pass per space; the engine must not.
TEST_P(BlankLines, RemoveLongRunsExactly) {
    const std::u16string spaces(100000, u' ');
    EXPECT_EQ(RemoveBlankLines(u"x" + spaces + u"\r\n" + spaces + u"\r\ny" + spaces),
              u"x\n\r\ny" + spaces);
    // The group takes back the text's first break, blocks before the space run ends.
    EXPECT_EQ(RemoveBlankLines(u"\r\n" + spaces + u"\r\n"), u"\n\r\n");
}

// A view that ends in " \r" a block in, where the text goes on with LF, holds no break.
TEST_P(BlankLines, ReadNothingPastTheView) {
    const std::u16string text = std::u16string(62, u'x') + u" \r\n";
    const std::u16string_view view = std::u16string_view(text).substr(0, 64);
    EXPECT_EQ(RemoveBlankLines(view), view);
    EXPECT_EQ(AddBlankLines(view), view);
}

// Random texts of what both operations react to and what a careless compare would take for it;
// a quarter span several 64-unit blocks, and now and then a long run crosses a block edge.
std::u16string RandomText(std::mt19937_64& rng) {
    static const std::u16string_view kPieces[] = {
        u" ",  u"    ", u"\r", u"\n",     u"\r\n",   u"\r\n\r\n\r\n", u" \r\n",
        u"\t", u"a",    u"Z",  u"\u3000", u"\u00A0", u"\u4E2D",       u"\xD83D"};
    // Units with a low or high byte of CR, LF or space (不 上 “ ” — …, U+0D0A): ordinary
    // characters that a half-unit compare reads as breaks or spaces.
    static const std::u16string_view kLookalikes[] = {
        u"\u4E0D", u"\u4E0A", u"\u4E20", u"\u0D0A", u"\u0A0D", u"\u200D",    u"\uFF0D",
        u"\u2020", u"\u0D20", u"\u0A20", u"跟不上", u"“不”…",  u"“no” — ok…"};
    auto upTo = [&rng](size_t most) { return std::uniform_int_distribution<size_t>(0, most)(rng); };
    std::u16string text;
    const size_t length = rng() % 4 == 0 ? upTo(400) : upTo(60);
    while (text.size() < length) {
        if (rng() % 128 == 0) {
            // Lines of one unit grow 加空行's result past its first buffer.
            static const std::u16string_view kRuns[] = {u" ", u"\r\n", u"x\r\n"};
            const std::u16string_view unit = kRuns[rng() % 3];
            for (size_t run = 1 + upTo(140); run > 0; --run) text += unit;
            continue;
        }
        text += rng() % 3 ? kPieces[rng() % std::size(kPieces)]
                          : kLookalikes[rng() % std::size(kLookalikes)];
    }
    return text;
}

TEST_P(BlankLines, RandomTextsMatchTheModel) {
    const char* env = std::getenv("BLANKLINES_RANDOM_TEXTS");
    const size_t count = env ? std::strtoull(env, nullptr, 10) : 50000;
    std::mt19937_64 rng(20261206);
    for (size_t i = 0; i < count; ++i) {
        const std::u16string text = RandomText(rng);
        ASSERT_EQ(CheckAgainstModel(text), "") << testing::PrintToString(text);
    }
}

}  // namespace
