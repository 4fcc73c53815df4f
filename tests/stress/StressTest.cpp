#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../support/RealisticText.h"
#include "StressWindow.h"
#include "text/BlankLines.h"

namespace {

struct Button {
    const char* name;
    HWND (Form1::*hwnd)() const;
    std::u16string (*engine)(std::u16string_view);
};
const Button kButtons[] = {
    {"Command1 (remove blank lines)", &Form1::Command1, RemoveBlankLines},
    {"Command2 (add blank lines)", &Form1::Command2, AddBlankLines},
};

HWND Hwnd(const Button& button) {
    return (Form().*button.hwnd)();
}

// Equality that reports where texts part instead of printing megabytes of them.
testing::AssertionResult SameText(const std::u16string& actual, const std::u16string& expected) {
    if (actual == expected) return testing::AssertionSuccess();
    const auto parted =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    return testing::AssertionFailure()
           << "Text1 holds " << actual.size() << " units, expected " << expected.size()
           << "; first difference at unit " << (parted.first - actual.begin());
}

size_t Bytes(const std::u16string& text) {
    return text.size() * sizeof(char16_t);
}

// How many texts' worth `peak` rose above `base`.
double Times(size_t peak, size_t base, size_t textBytes) {
    return (static_cast<double>(peak) - static_cast<double>(base)) / static_cast<double>(textBytes);
}

// Without wrapping Wine's edit lays a line out in linear time; with it, in quadratic time.
// The press path (read, transform, store, caret) is the same either way.
class Text1Unwrapped {
public:
    Text1Unwrapped() {
        SendMessageW(Form().Text1(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&m_wrapped));
        RECT wide = m_wrapped;
        wide.right = wide.left + 0x3FFFFFFF;
        SendMessageW(Form().Text1(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&wide));
    }
    ~Text1Unwrapped() {
        // Else the edit would wrap the long line again, for minutes.
        SetText(u"");
        // The client rectangle is what WM_SIZE hands the edit: its own default.
        RECT client;
        GetClientRect(Form().Text1(), &client);
        SendMessageW(Form().Text1(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&client));
        RECT restored;
        SendMessageW(Form().Text1(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&restored));
        EXPECT_TRUE(EqualRect(&restored, &m_wrapped)) << "Text1's formatting rectangle";
    }
    Text1Unwrapped(const Text1Unwrapped&) = delete;
    Text1Unwrapped& operator=(const Text1Unwrapped&) = delete;

private:
    RECT m_wrapped{};
};

}  // namespace

// First, while the process is fresh: leaks show as growth against a warmed-up baseline.
TEST(Stress, TwoHundredPressesLeaveObjectsAndMemoryFlat) {
    const std::u16string text = RealisticTextMaker(200).Lines(512 * 1024);
    SetText(text);
    std::u16string expected = text;
    // A round: both buttons, then Ctrl+Z takes 加空行 back; every step is checked.
    const auto round = [&expected](int number) {
        Press(Form().Command1());
        expected = RemoveBlankLines(expected);
        ASSERT_TRUE(SameText(TextOf(Form().Text1()), expected)) << "Command1, round " << number;
        Press(Form().Command2());
        ASSERT_TRUE(SameText(TextOf(Form().Text1()), AddBlankLines(expected)))
            << "Command2, round " << number;
        CtrlZ();
        ASSERT_TRUE(SameText(TextOf(Form().Text1()), expected)) << "Ctrl+Z, round " << number;
    };

    // Caches (fonts, the wait cursor, the DC cache, heap arenas) fill on first use.
    for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(round(i));
    const GuiObjects objectsBefore = CountGuiObjects();
    const size_t privateBefore = ProcessMemory().privateBytes;

    constexpr int kRounds = 100;  // 200 presses, 100 Ctrl+Z
    size_t privateHalfway = 0;
    const double start = Seconds();
    for (int i = 0; i < kRounds; ++i) {
        ASSERT_NO_FATAL_FAILURE(round(i));
        if (i + 1 == kRounds / 2) privateHalfway = ProcessMemory().privateBytes;
    }
    const double perRound = (Seconds() - start) / kRounds;
    const GuiObjects objectsAfter = CountGuiObjects();
    const size_t privateAfter = ProcessMemory().privateBytes;

    Report("%zu-unit text, %d presses and %d Ctrl+Z in %.1f s (%.2f s a round)", text.size(),
           2 * kRounds, kRounds, perRound * kRounds, perRound);
    Report("GDI objects %lu -> %lu, USER objects %lu -> %lu (%s)", objectsBefore.gdi,
           objectsAfter.gdi, objectsBefore.user, objectsAfter.user, objectsAfter.source);
    Report("private memory %.2f MB -> %.2f MB after 100 presses -> %.2f MB after 200",
           Mb(privateBefore), Mb(privateHalfway), Mb(privateAfter));

    // No press creates an object it keeps: once warm, the counts do not move at all.
    EXPECT_EQ(objectsAfter.gdi, objectsBefore.gdi);
    EXPECT_EQ(objectsAfter.user, objectsBefore.user);
    // The edit holds the text and one undo copy, both there before the loop. Allow one more
    // copy of slack for the heap; a leak of 3 KB a press over the second 100 fails.
    const size_t textBytes = Bytes(text);
    EXPECT_LE(privateAfter, privateBefore + textBytes) << "private memory grew";
    EXPECT_LE(privateAfter, privateHalfway + 300 * 1024) << "private memory grows per press";
}

TEST(Stress, MillionCharacterLineGoesThroughBothButtons) {
    // The figure that explains the unwrapping below.
    const std::u16string sample = RealisticTextMaker(301).Line(40000);
    double start = Seconds();
    SetText(sample);
    const double wrapped = Seconds() - start;
    Report(
        "a %zu-unit line wrapped in Text1 takes %.2f s to lay out; at 1,000,000 units and "
        "quadratic growth that is ~%.0f min",
        sample.size(), wrapped, wrapped * 625 / 60);

    const std::u16string line = RealisticTextMaker(300).Line(1'000'000);
    const Text1Unwrapped unwrapped;
    for (const Button& button : kButtons) {
        start = Seconds();
        SetText(line);
        const double set = Seconds() - start;
        start = Seconds();
        Press(Hwnd(button));
        const double pressed = Seconds() - start;
        EXPECT_TRUE(SameText(TextOf(Form().Text1()), button.engine(line))) << button.name;
        Report("1,000,000-unit line, %s: WM_SETTEXT %.2f s, press and repaint %.2f s", button.name,
               set, pressed);
    }
}

TEST(Stress, TwoMillionLineBreaksGoThroughBothButtons) {
    std::u16string breaks;
    breaks.reserve(4'000'000);
    for (int i = 0; i < 2'000'000; ++i) breaks += u"\r\n";
    for (const Button& button : kButtons) {
        double start = Seconds();
        SetText(breaks);
        const double set = Seconds() - start;
        start = Seconds();
        Press(Hwnd(button));
        const double pressed = Seconds() - start;
        EXPECT_TRUE(SameText(TextOf(Form().Text1()), button.engine(breaks))) << button.name;
        Report("2,000,000 CR LF, %s: WM_SETTEXT %.2f s, press and repaint %.2f s", button.name, set,
               pressed);
    }
}

// Last: the largest text sets the process's peak working set.
TEST(Stress, FiftyMegabytesGoThroughEachButtonAndComeBackWithCtrlZ) {
    const std::u16string original = RealisticTextMaker(50).Lines(25'000'000);
    const size_t textBytes = Bytes(original);
    // From an empty box: replacing the 2,000,000 lines left above costs the edit extra.
    SetText(u"");
    double start = Seconds();
    SetText(original);
    Report("%.1f MB text (%zu units): WM_SETTEXT %.1f s", Mb(textBytes), original.size(),
           Seconds() - start);
    ASSERT_TRUE(SameText(TextOf(Form().Text1()), original)) << "WM_SETTEXT";

    size_t sampledPeak = 0;
    for (const Button& button : kButtons) {
        const std::u16string expected = button.engine(original);
        const size_t privateBefore = ProcessMemory().privateBytes;

        Peak().Reset();
        start = Seconds();
        Press(Hwnd(button));
        const double pressed = Seconds() - start;
        const size_t pressPeak = Peak().Bytes();
        EXPECT_TRUE(SameText(TextOf(Form().Text1()), expected)) << button.name;

        Peak().Reset();
        start = Seconds();
        CtrlZ();
        const double undone = Seconds() - start;
        const size_t undoPeak = Peak().Bytes();
        EXPECT_TRUE(SameText(TextOf(Form().Text1()), original)) << button.name << ", Ctrl+Z";

        sampledPeak = std::max({sampledPeak, pressPeak, undoPeak});
        Report("%s: press and repaint %.1f s (result %zu units), Ctrl+Z %.1f s", button.name,
               pressed, expected.size(), undone);
        Report(
            "  private memory %.0f MB before the press; peak %.0f MB in it (+%.1f x the text), "
            "%.0f MB in Ctrl+Z (+%.1f x)",
            Mb(privateBefore), Mb(pressPeak), Times(pressPeak, privateBefore, textBytes),
            Mb(undoPeak), Times(undoPeak, privateBefore, textBytes));
    }

    const Memory memory = ProcessMemory();
    Report(
        "process peaks: working set %.0f MB; PeakPagefileUsage %.0f MB as reported, private "
        "%.0f MB as sampled every 2 ms%s",
        Mb(memory.peakWorkingSetBytes), Mb(memory.peakPagefileBytes), Mb(sampledPeak),
        memory.peakPagefileBytes < sampledPeak ? " (the reported figure is no peak here)" : "");
}
