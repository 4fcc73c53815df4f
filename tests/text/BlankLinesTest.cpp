#include "text/BlankLines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "ModelCheck.h"
#include "TextNotation.h"

namespace {

using Transform = std::u16string (*)(std::u16string_view);

struct Case {
    const char16_t* input;
    const char16_t* expected;
};

// Each row is checked against the engine and against the model the random tests trust.
void CheckTable(Transform fn, Transform modelFn, std::initializer_list<Case> cases) {
    for (const Case& c : cases) {
        const std::u16string input = Decode(c.input), expected = Decode(c.expected);
        EXPECT_EQ(Visible(fn(input)), Visible(expected)) << "input: " << Visible(input);
        EXPECT_EQ(Visible(modelFn(input)), Visible(expected)) << "model, input: " << Visible(input);
    }
}

TEST(RemoveBlankLines, Table) {
    CheckTable(&RemoveBlankLines, &model::RemoveBlankLines,
               {
                   {u"", u""},
                   {u"a␍␊b", u"a␍␊b"},
                   {u"a␊␊b", u"a␊␊b"},  // lone LF and lone CR are ordinary characters
                   {u"a␍␍b", u"a␍␍b"},
                   {u"a·␊b", u"a·␊b"},
                   {u"a···␍␊b", u"a␍␊b"},  // only spaces directly before a break go
                   {u"a␍␊··b", u"a␍␊··b"},
                   {u"a···", u"a···"},
                   {u"a⇥·␍␊b", u"a⇥␍␊b"},
                   {u"a·⇥␍␊b", u"a·⇥␍␊b"},
                   {u"a\u3000\u00A0␍␊b", u"a\u3000\u00A0␍␊b"},
                   {u"···␍␊abc", u"␍␊abc"},
                   {u"a␍␊␍␊b", u"a␊␍␊b"},  // the CR of a break followed by a break goes
                   {u"a␍␊␍␊␍␊b", u"a␊␊␍␊b"},
                   {u"␍␊␍␊", u"␊␍␊"},
                   {u"x␍␍␊␍␊y", u"x␍␊␍␊y"},  // the lone CR pairs with the kept LF
                   {u"a␍␊··␍␊b", u"a␊␍␊b"},  // a line of spaces becomes blank first
                   {u"a·␍␊·␍␊··␍␊b", u"a␊␊␍␊b"},
               });
}

TEST(AddBlankLines, Table) {
    CheckTable(&AddBlankLines, &model::AddBlankLines,
               {
                   {u"", u""},
                   {u"abc", u"abc"},
                   {u"a␍␊b␍␊c", u"a␍␊␍␊b␍␊␍␊c"},
                   {u"␍␊a␍␊", u"␍␊␍␊a␍␊␍␊"},
                   {u"a␍␊␍␊b", u"a␍␊␍␊b"},  // runs of k breaks become 2 * ceil(k / 2)
                   {u"a␍␊␍␊␍␊b", u"a␍␊␍␊␍␊␍␊b"},
                   {u"a␍␊␍␊␍␊␍␊␍␊b", u"a␍␊␍␊␍␊␍␊␍␊␍␊b"},
                   {u"a␊b␍c", u"a␊b␍c"},  // lone LF and CR do not split
                   {u"a␍␍␊b", u"a␍␍␊␍␊b"},
                   {u"a␍␊␊␍␊b", u"a␍␊␍␊␊␍␊␍␊b"},
               });
}

// The repeated replace passes would take one pass per space; the engine must not.
TEST(RemoveBlankLines, LongRunsAreExact) {
    const size_t kRun = 100000;
    const std::u16string spaces(kRun, u' ');
    EXPECT_EQ(RemoveBlankLines(u"x" + spaces + u"\r\n" + spaces + u"\r\ny" + spaces),
              u"x\n\r\ny" + spaces);
}

// Random texts from an alphabet biased to what both operations react to. A
// quarter are long enough to span several of the engine's 64-unit blocks, and
// now and then a long run of spaces or breaks crosses a block edge.
std::u16string RandomText(std::mt19937_64& rng) {
    static const std::u16string_view kPieces[] = {
        u" ",  u"    ", u"\r", u"\n",     u"\r\n",   u"\r\n\r\n\r\n", u" \r\n",
        u"\t", u"a",    u"Z",  u"\u3000", u"\u00A0", u"\u4E2D",       u"\xD83D"};
    auto upTo = [&rng](size_t most) { return std::uniform_int_distribution<size_t>(0, most)(rng); };
    std::u16string text;
    const size_t length = rng() % 4 == 0 ? upTo(400) : upTo(60);
    while (text.size() < length) {
        if (rng() % 128 == 0) {
            const std::u16string_view unit = rng() % 2 ? u" " : u"\r\n";
            for (size_t run = 1 + upTo(140); run > 0; --run) text += unit;
            continue;
        }
        text += kPieces[rng() % std::size(kPieces)];
    }
    return text;
}

TEST(RandomTexts, MatchTheModelAndKeepTheButtonProperties) {
    const char* env = std::getenv("BLANKLINES_RANDOM_TEXTS");
    const size_t count = env ? std::strtoull(env, nullptr, 10) : 50000;
    std::mt19937_64 rng(20261206);
    for (size_t i = 0; i < count; ++i) {
        const std::u16string text = RandomText(rng);
        ASSERT_EQ(CheckAgainstModel(text), "") << Visible(text);
    }
}

}  // namespace
