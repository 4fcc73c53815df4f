#include <gtest/gtest.h>

#include <random>
#include <string>

#include "LiteralModel.h"
#include "text/EnginePaths.h"

namespace {

// Each case runs on each path of the engine this processor offers: BlankLines.Table/sse2.
using BlankLines = testing::TestWithParam<EnginePath>;
INSTANTIATE_TEST_SUITE_P(, BlankLines, testing::ValuesIn(EnginePaths()),
                         [](const auto& p) { return std::string(p.param.name); });

// Each row is checked against the engine and against the model the random tests trust.
TEST_P(BlankLines, Table) {
    const struct {
        std::u16string_view text, removed, added;
    } rows[] = {
        {u"", u"", u""},
        // Lone LF and lone CR are ordinary characters: no break, no space before one.
        {u"a \n\nb \r\rc", u"a \n\nb \r\rc", u"a \n\nb \r\rc"},
        {u"a\r\n\n\r\nb", u"a\r\n\n\r\nb", u"a\r\n\r\n\n\r\n\r\nb"},
        // Only spaces (U+0020) directly before a break go.
        {u"a   \r\n  b  ", u"a\r\n  b  ", u"a   \r\n\r\n  b  "},
        {u"a \t \r\n\u3000\u00A0\r\nb", u"a \t\r\n\u3000\u00A0\r\nb",
         u"a \t \r\n\r\n\u3000\u00A0\r\n\r\nb"},
        {u"  \r\na\r\n", u"\r\na\r\n", u"  \r\n\r\na\r\n\r\n"},
        // The CR of a break followed by a break goes; a run of k breaks becomes 2 * ceil(k / 2).
        {u"\r\n\r\n", u"\n\r\n", u"\r\n\r\n"},
        {u"a\r\n\r\n\r\nb", u"a\n\n\r\nb", u"a\r\n\r\n\r\n\r\nb"},
        // A lone CR before a break stays in its line, and pairs with the LF 去空行 keeps.
        {u"x\r\r\n\r\ny\r\r\nz", u"x\r\n\r\ny\r\r\nz", u"x\r\r\n\r\ny\r\r\n\r\nz"},
        // Lines of spaces become blank first.
        {u"a \r\n \r\n  \r\nb", u"a\n\n\r\nb", u"a \r\n\r\n \r\n\r\n  \r\n\r\nb"},
    };
    for (const auto& [text, removed, added] : rows) {
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(GetParam().removeBlankLines(text), removed);
        EXPECT_EQ(model::RemoveBlankLines(text), removed) << "model";
        EXPECT_EQ(GetParam().addBlankLines(text), added);
        EXPECT_EQ(model::AddBlankLines(text), added) << "model";
    }
}

// At a block's edges: a view that ends in " \r" a block in, where the text goes on with LF,
// holds no break; a space run blocks long after the text's first break gives that break back.
TEST_P(BlankLines, BlockEdges) {
    const std::u16string text = std::u16string(62, u'x') + u" \r\n", spaces(1000, u' ');
    const std::u16string_view view = std::u16string_view(text).substr(0, 64);
    EXPECT_EQ(GetParam().removeBlankLines(view), view);
    EXPECT_EQ(GetParam().addBlankLines(view), view);
    EXPECT_EQ(GetParam().removeBlankLines(u"\r\n" + spaces + u"\r\n"), u"\n\r\n");
}

// Random texts of what both operations react to and of units a half-unit compare takes for it
// (不 上 “ ” — …, U+0D0A: a byte of CR, LF or space); a quarter span several blocks, and now
// and then a long run crosses a block edge or (" \r\n") grows 加空行's result past its buffer.
TEST_P(BlankLines, RandomTextsMatchTheModel) {
    static const std::u16string_view kPieces[] = {
        u" ",      u"    ",   u"\r",     u"\n",     u"\r\n",      u"\r\n\r\n\r\n", u" \r\n",
        u"\t",     u"a",      u"\u3000", u"\u00A0", u"\u4E2D",    u"\xD83D",       u"\u4E0D",
        u"\u4E0A", u"\u4E20", u"\u0D0A", u"\u0A0D", u"\u200D",    u"\uFF0D",       u"\u2020",
        u"\u0D20", u"\u0A20", u"跟不上", u"“不”…",  u"“no” — ok…"};
    std::mt19937_64 rng(20261206);
    auto upTo = [&rng](size_t most) { return std::uniform_int_distribution<size_t>(0, most)(rng); };
    for (int i = 0; i < 50000; ++i) {
        std::u16string text;
        for (size_t length = rng() % 4 == 0 ? upTo(400) : upTo(60); text.size() < length;) {
            const std::u16string_view piece = kPieces[rng() % std::size(kPieces)];
            for (size_t run = rng() % 128 == 0 ? 1 + upTo(140) : 1; run > 0; --run) text += piece;
        }
        ASSERT_EQ(CheckAgainstModel(GetParam(), text), "") << testing::PrintToString(text);
    }
}

}  // namespace
