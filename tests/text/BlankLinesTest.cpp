#include "text/BlankLines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "LiteralModel.h"
#include "TextNotation.h"

namespace {

struct Case {
    const char16_t* input;
    const char16_t* expected;
};

using Transform = std::u16string (*)(std::u16string_view);

// Every row is checked against the engine and against the model that the
// random tests trust.
void CheckTable(Transform fn, Transform modelFn, const Case* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        std::u16string input = Decode(cases[i].input);
        std::u16string expected = Decode(cases[i].expected);
        std::u16string actual = fn(input);
        EXPECT_EQ(Visible(actual), Visible(expected)) << "input: " << Visible(input);
        EXPECT_EQ(Visible(modelFn(input)), Visible(expected)) << "model, input: " << Visible(input);
    }
}

void CheckRemove(const Case* cases, size_t count) {
    CheckTable(&RemoveBlankLines, &model::RemoveBlankLines, cases, count);
}
void CheckAdd(const Case* cases, size_t count) {
    CheckTable(&AddBlankLines, &model::AddBlankLines, cases, count);
}

TEST(RemoveBlankLines, LeavesTextWithoutBlankLinesAlone) {
    const Case cases[] = {
        {u"", u""},         {u"abc", u"abc"},   {u"a␍␊b", u"a␍␊b"},
        {u"␍␊", u"␍␊"},     {u"a␊␊b", u"a␊␊b"},  // lone LF and lone CR are ordinary characters
        {u"a␍␍b", u"a␍␍b"}, {u"a·␊b", u"a·␊b"},
    };
    CheckRemove(cases, std::size(cases));
}

TEST(RemoveBlankLines, StripsOnlySpacesStandingBeforeABreak) {
    const Case cases[] = {
        {u"a···␍␊b", u"a␍␊b"},
        {u"a␍␊··b", u"a␍␊··b"},  // leading spaces stay
        {u"a···", u"a···"},      // no break after them
        {u"a⇥␍␊b", u"a⇥␍␊b"},    // tab is not a space
        {u"a·⇥␍␊b", u"a·⇥␍␊b"},
        {u"a⇥·␍␊b", u"a⇥␍␊b"},
        {u"a\u3000␍␊b", u"a\u3000␍␊b"},  // ideographic space stays
        {u"a\u00A0␍␊b", u"a\u00A0␍␊b"},
        {u"···␍␊abc", u"␍␊abc"},
        {u"a·␍·␊b", u"a·␍·␊b"},
    };
    CheckRemove(cases, std::size(cases));
}

TEST(RemoveBlankLines, DropsTheCROfABreakFollowedByAnother) {
    const Case cases[] = {
        {u"a␍␊␍␊b", u"a␊␍␊b"},   {u"a␍␊␍␊␍␊b", u"a␊␊␍␊b"}, {u"a␍␊␍␊", u"a␊␍␊"},
        {u"␍␊␍␊a", u"␊␍␊a"},     {u"␍␊␍␊", u"␊␍␊"},        {u"x␊␍␊␍␊y", u"x␊␊␍␊y"},
        {u"x␍␍␊␍␊y", u"x␍␊␍␊y"},  // the lone CR pairs with the kept LF
        {u"x␍␊␍␊y", u"x␊␍␊y"},    // ...and a second press removes it
    };
    CheckRemove(cases, std::size(cases));
}

TEST(RemoveBlankLines, SpaceOnlyLinesBecomeBlankAndAreRemoved) {
    const Case cases[] = {
        {u"a␍␊··␍␊b", u"a␊␍␊b"},      {u"a·␍␊·␍␊·b", u"a␊␍␊·b"},
        {u"a·␍␊·␍␊··␍␊b", u"a␊␊␍␊b"}, {u"a␍␊·····␍␊·····␍␊b", u"a␊␊␍␊b"},
        {u"a␍␊··x␍␊b", u"a␍␊··x␍␊b"},
    };
    CheckRemove(cases, std::size(cases));
}

TEST(AddBlankLines, PutsOneBlankLineAfterEveryLineButTheLast) {
    const Case cases[] = {
        {u"", u""},
        {u"abc", u"abc"},
        {u"a␍␊b", u"a␍␊␍␊b"},
        {u"a␍␊b␍␊c", u"a␍␊␍␊b␍␊␍␊c"},
        {u"a␍␊", u"a␍␊␍␊"},
        {u"␍␊a", u"␍␊␍␊a"},
        {u"␍␊", u"␍␊␍␊"},
        {u"a··␍␊b", u"a··␍␊␍␊b"},
        {u"a␍␊··␍␊b", u"a␍␊␍␊··␍␊␍␊b"},
    };
    CheckAdd(cases, std::size(cases));
}

TEST(AddBlankLines, ThinsRunsOfBreaksOnceRoundingUp) {
    const Case cases[] = {
        {u"a␍␊␍␊b", u"a␍␊␍␊b"},         {u"a␍␊␍␊␍␊b", u"a␍␊␍␊␍␊␍␊b"},
        {u"a␍␊␍␊␍␊␍␊b", u"a␍␊␍␊␍␊␍␊b"}, {u"a␍␊␍␊␍␊␍␊␍␊b", u"a␍␊␍␊␍␊␍␊␍␊␍␊b"},
        {u"␍␊␍␊␍␊", u"␍␊␍␊␍␊␍␊"},       {u"a␍␊␍␊", u"a␍␊␍␊"},
    };
    CheckAdd(cases, std::size(cases));
}

TEST(AddBlankLines, LoneCRAndLFDoNotSplit) {
    const Case cases[] = {
        {u"a␊b", u"a␊b"},
        {u"a␍b", u"a␍b"},
        {u"a␊␍␊b", u"a␊␍␊␍␊b"},
        {u"a␍␍␊b", u"a␍␍␊␍␊b"},
        {u"a␍␊␊␍␊b", u"a␍␊␍␊␊␍␊␍␊b"},
    };
    CheckAdd(cases, std::size(cases));
}

TEST(Buttons, DoNotUndoEachOther) {
    std::u16string removed = RemoveBlankLines(Decode(u"a␍␊␍␊b"));
    EXPECT_EQ(Visible(removed), Visible(Decode(u"a␊␍␊b")));
    EXPECT_EQ(Visible(AddBlankLines(removed)), Visible(Decode(u"a␊␍␊␍␊b")));
}

// A run of spaces is removed by as many replace passes as it is long; the
// engine must do it in one pass and still get every space.
TEST(RemoveBlankLines, LongRunsAreExactAndLinear) {
    const size_t kRun = 100000;
    std::u16string text = u"x" + std::u16string(kRun, u' ') + u"\r\n" + std::u16string(kRun, u' ') +
                          u"\r\ny" + std::u16string(kRun, u' ');
    EXPECT_EQ(RemoveBlankLines(text), u"x\n\r\ny" + std::u16string(kRun, u' '));

    std::u16string breaks;
    for (size_t i = 0; i < kRun; ++i) breaks += u"\r\n";
    std::u16string expected(kRun - 1, u'\n');
    expected += u"\r\n";
    EXPECT_EQ(RemoveBlankLines(breaks), expected);
    EXPECT_EQ(AddBlankLines(breaks), breaks);  // an even run stays
    EXPECT_EQ(AddBlankLines(breaks + u"\r\n").size(), breaks.size() + 4);
}

// ---- Random texts against the literal model --------------------------------

// Biased towards the characters both operations react to, with long runs now
// and then.
class TextGenerator {
public:
    explicit TextGenerator(uint64_t seed) : m_rng(seed) {}

    std::u16string Next() {
        static const char16_t kAlphabet[] = {
            u' ', u' ', u' ', u'\r',     u'\r',     u'\n',     u'\n',           u'\t',
            u'a', u'b', u'Z', u'\u3000', u'\u00A0', u'\u4E2D', char16_t(0xD83D)};
        std::u16string text;
        size_t length = Pick(0, Pick(0, 1) ? 12 : 80);
        while (text.size() < length) {
            switch (Pick(0, 9)) {
                case 0: text.append(Pick(1, 40), u' '); break;
                case 1:
                    for (size_t k = Pick(1, 9); k > 0; --k) text += u"\r\n";
                    break;
                case 2: text += u" \r\n"; break;
                default: text += kAlphabet[Pick(0, std::size(kAlphabet) - 1)];
            }
        }
        return text;
    }

private:
    size_t Pick(size_t lo, size_t hi) {
        return std::uniform_int_distribution<size_t>(lo, hi)(m_rng);
    }
    std::mt19937_64 m_rng;
};

size_t RandomTextCount() {
    const char* env = std::getenv("BLANKLINES_RANDOM_TEXTS");
    return env ? std::strtoull(env, nullptr, 10) : 50000;
}

TEST(RandomTexts, MatchTheLiteralModel) {
    TextGenerator gen(20261206);
    const size_t count = RandomTextCount();
    int failures = 0;
    for (size_t i = 0; i < count && failures < 5; ++i) {
        std::u16string text = gen.Next();
        std::u16string removed = RemoveBlankLines(text);
        std::u16string added = AddBlankLines(text);
        if (removed != model::RemoveBlankLines(text)) {
            ++failures;
            ADD_FAILURE() << "去空行 differs on " << Visible(text) << "\n  got  "
                          << Visible(removed) << "\n  want "
                          << Visible(model::RemoveBlankLines(text));
        }
        if (added != model::AddBlankLines(text)) {
            ++failures;
            ADD_FAILURE() << "加空行 differs on " << Visible(text) << "\n  got  " << Visible(added)
                          << "\n  want " << Visible(model::AddBlankLines(text));
        }
    }
    std::printf("compared %zu random texts\n", count);
}

TEST(RandomTexts, HoldTheButtonProperties) {
    TextGenerator gen(7);
    for (int i = 0; i < 20000; ++i) {
        std::u16string text = gen.Next();
        std::u16string added = AddBlankLines(text);
        ASSERT_EQ(AddBlankLines(added), added) << "pressing 加空行 twice: " << Visible(text);
        ASSERT_LE(RemoveBlankLines(text).size(), text.size()) << Visible(text);
    }
}

// A reused buffer holds the previous, longer result: nothing of it may leak
// into the next one.
TEST(RandomTexts, ReusedBufferGivesTheFreshResult) {
    TextGenerator gen(99);
    std::u16string removeBuffer = std::u16string(500, u'#');
    std::u16string addBuffer = removeBuffer;
    for (int i = 0; i < 5000; ++i) {
        std::u16string text = gen.Next();
        RemoveBlankLines(text, removeBuffer);
        AddBlankLines(text, addBuffer);
        ASSERT_EQ(removeBuffer, RemoveBlankLines(text)) << Visible(text);
        ASSERT_EQ(addBuffer, AddBlankLines(text)) << Visible(text);
    }
}

}  // namespace
