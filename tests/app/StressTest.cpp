// The real window under load: 200 presses watched for leaks, a 1,000,000-character line,
// 2,000,000 line breaks and 50 MB. Minutes under Wine: CTest runs them as "stress_tests".

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "../support/RealisticText.h"
#include "AppTest.h"
#include "text/BlankLines.h"

namespace {

double Seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double Mb(size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// Under Wine 8 PrivateUsage is 0 and GetGuiResources returns 0, so these fall back to
// PagefileUsage, the GDI handle table the PEB points at, and this process's windows.
size_t PrivateBytes(size_t* peakWorkingSet = nullptr) {
    PROCESS_MEMORY_COUNTERS_EX c{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&c),
                         sizeof c);
    if (peakWorkingSet) *peakWorkingSet = c.PeakWorkingSetSize;
    return c.PrivateUsage ? c.PrivateUsage : c.PagefileUsage;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM count) {
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId == GetCurrentProcessId()) {
        ++*reinterpret_cast<DWORD*>(count);
        EnumChildWindows(hwnd, CountWindow, count);
    }
    return TRUE;
}

std::pair<DWORD, DWORD> GuiObjects() {
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (gdi != 0) return {gdi, GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
    struct GdiRow {  // GDI_HANDLE_ENTRY, x64
        UINT64 object;
        USHORT processId, count, upper, type;
        UINT64 user;
    };
    PROCESS_BASIC_INFORMATION basic{};
    NtQueryInformationProcess(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic,
                              nullptr);
    const auto* table = *reinterpret_cast<const GdiRow* const*>(
        reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + 0xF8);
    DWORD rows = 0, windows = 0;
    for (size_t i = 0; table && i < 0x10000; ++i) rows += table[i].type != 0;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&windows));
    return {rows, windows};
}

void Load(const std::u16string& text) {
    SetText(text);
    Pump();
}

double Press(HWND button) {
    const double start = Seconds();
    Click(button);
    Pump();  // and the repaint it leaves queued
    return Seconds() - start;
}

void CtrlZ() {
    SetFocus(Form().Text1());  // BM_CLICK left the focus on the button
    Keys({VK_CONTROL, 'Z'});
}

// Reports where texts part instead of printing megabytes of them.
testing::AssertionResult Holds(const std::u16string& expected) {
    const std::u16string actual = TextOf(Form().Text1());
    if (actual == expected) return testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return testing::AssertionFailure() << "Text1 holds " << actual.size() << " units, expected "
                                       << expected.size() << "; first difference at " << at;
}

const struct {
    const char* name;
    HWND (Form1::*hwnd)() const;
    std::u16string (*engine)(std::u16string_view);
} kButtons[] = {{"去空行", &Form1::Command1, RemoveBlankLines},
                {"加空行", &Form1::Command2, AddBlankLines}};

}  // namespace

TEST(Stress, TwoHundredPressesLeaveObjectsAndMemoryFlat) {
    const std::u16string text = RealisticTextMaker(200).Lines(512 * 1024);
    Load(text);
    std::u16string expected = text;
    const auto round = [&expected](int number) {
        Press(Form().Command1());
        expected = RemoveBlankLines(expected);
        ASSERT_TRUE(Holds(expected)) << number;
        Press(Form().Command2());
        ASSERT_TRUE(Holds(AddBlankLines(expected))) << number;
        CtrlZ();
        ASSERT_TRUE(Holds(expected)) << "Ctrl+Z, round " << number;
    };
    // Caches (fonts, the DC cache, heap arenas) fill on first use.
    for (int i = 0; i < 5; ++i) ASSERT_NO_FATAL_FAILURE(round(i));
    const auto objectsBefore = GuiObjects();
    const size_t privateBefore = PrivateBytes();
    size_t privateHalfway = 0;
    for (int i = 0; i < 100; ++i) {  // 200 presses, 100 Ctrl+Z
        ASSERT_NO_FATAL_FAILURE(round(i + 5));
        if (i == 49) privateHalfway = PrivateBytes();
    }
    const auto objectsAfter = GuiObjects();
    const size_t privateAfter = PrivateBytes();
    std::printf("GDI %lu -> %lu, USER %lu -> %lu; private %.2f -> %.2f -> %.2f MB\n",
                objectsBefore.first, objectsAfter.first, objectsBefore.second, objectsAfter.second,
                Mb(privateBefore), Mb(privateHalfway), Mb(privateAfter));
    EXPECT_EQ(objectsAfter, objectsBefore);
    // The edit holds the text and one undo copy, both there before the loop; one more copy
    // of slack for the heap. A leak of 3 KB a press over the second 100 fails.
    EXPECT_LE(privateAfter, privateBefore + text.size() * sizeof(char16_t));
    EXPECT_LE(privateAfter, privateHalfway + 300 * 1024) << "private memory grows per press";
}

TEST(Stress, LongLineAndManyBreaksGoThroughBothButtons) {
    std::u16string breaks;
    for (int i = 0; i < 2'000'000; ++i) breaks += u"\r\n";
    const std::u16string line = RealisticTextMaker(300).Line(1'000'000);
    // Wine's edit wraps one long line in quadratic time (minutes at this size); unwrapped it
    // takes linear time, and the press path is the same either way.
    RECT wrapped, wide;
    SendMessageW(Form().Text1(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&wrapped));
    wide = wrapped;
    wide.right = wide.left + 0x3FFFFFFF;
    const struct {
        const char* name;
        const std::u16string* text;
        bool unwrap;
    } inputs[] = {{"line", &line, true}, {"breaks", &breaks, false}};
    for (const auto& [name, text, unwrap] : inputs) {
        if (unwrap) SendMessageW(Form().Text1(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&wide));
        for (const auto& button : kButtons) {
            Load(*text);
            const double seconds = Press((Form().*button.hwnd)());
            EXPECT_TRUE(Holds(button.engine(*text))) << name << ", " << button.name;
            std::printf("%s, %s: %.2f s\n", name, button.name, seconds);
        }
        Load(u"");
        RECT client;  // the edit's own default, as WM_SIZE hands it
        GetClientRect(Form().Text1(), &client);
        SendMessageW(Form().Text1(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&client));
    }
}

// Last: the largest text sets the process's peak working set.
TEST(Stress, FiftyMegabytesGoThroughEachButtonAndComeBackWithCtrlZ) {
    const std::u16string original = RealisticTextMaker(50).Lines(25'000'000);
    Load(u"");
    Load(original);
    for (const auto& button : kButtons) {
        const double pressed = Press((Form().*button.hwnd)());
        EXPECT_TRUE(Holds(button.engine(original))) << button.name;
        const double start = Seconds();
        CtrlZ();
        EXPECT_TRUE(Holds(original)) << button.name << ", Ctrl+Z";
        std::printf("50 MB, %s: press %.1f s, Ctrl+Z %.1f s\n", button.name, pressed,
                    Seconds() - start);
    }
    size_t peak = 0;
    PrivateBytes(&peak);
    std::printf("peak working set %.0f MB\n", Mb(peak));
}
