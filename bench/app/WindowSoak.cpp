#include "WindowSoak.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "RealisticText.h"
#include "Seconds.h"
#include "WindowDriver.h"

namespace {

double Mb(size_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

struct Memory {
    size_t privateBytes;
    size_t workingSet;
    size_t peakWorkingSet;
};

// Wine 8 leaves PrivateUsage at 0; PagefileUsage counts the same committed private memory.
Memory MemoryNow() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    return {counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage,
            counters.WorkingSetSize, counters.PeakWorkingSetSize};
}

void PrintCounters(const char* when) {
    const auto [gdi, windows] = GuiObjects();
    const Memory memory = MemoryNow();
    std::printf("  %-8s GDI objects %lu, windows %lu, private %.2f MB, working set %.2f MB\n", when,
                gdi, windows, Mb(memory.privateBytes), Mb(memory.workingSet));
    std::fflush(stdout);
}

bool g_allExact = true;

const char* Exact(bool exact) {
    g_allExact = g_allExact && exact;
    return exact ? "exact" : "NOT EXACT";
}

void Load(const std::u16string& text) {
    SetText1(text);
    Pump();
}

// Until the press has returned and the repaint it left has been delivered.
double Press(const Button& button) {
    const double start = Seconds();
    Click(button.Hwnd());
    Pump();
    return Seconds() - start;
}

double CtrlZ() {
    const double start = Seconds();
    Keys({VK_CONTROL, 'Z'});
    return Seconds() - start;
}

// Each button on text, then Ctrl+Z; every press starts from text.
void ThroughEachButtonAndBack(const std::u16string& text) {
    for (const Button& button : kButtons) {
        if (Text1() != text) Load(text);
        const double pressed = Press(button);
        const bool exact = Text1() == button.engine(text);
        const double undone = CtrlZ();
        std::printf("  %s: press %.2f s (%s), Ctrl+Z %.2f s (%s)\n", button.name, pressed,
                    Exact(exact), undone, Exact(Text1() == text));
        std::fflush(stdout);
    }
}

// 100 rounds of 去空行, 加空行 and Ctrl+Z on about 1 MB: GDI objects, windows and private
// memory should stay flat.
void Presses() {
    std::printf("\n200 presses (100 rounds of 去空行, 加空行, Ctrl+Z) on about 1 MB\n");
    const std::u16string text = RealisticTextMaker(200).Lines(512 * 1024);
    Load(text);
    std::u16string removed = text;
    int exactPresses = 0, exactUndos = 0, rounds = 0;
    const auto round = [&] {
        Press(kButtons[0]);
        removed = kButtons[0].engine(removed);
        exactPresses += Text1() == removed;
        Press(kButtons[1]);
        exactPresses += Text1() == kButtons[1].engine(removed);
        CtrlZ();
        exactUndos += Text1() == removed;
        ++rounds;
    };
    // Caches (fonts, the DC cache, heap arenas) fill on first use.
    for (int i = 0; i < 5; ++i) round();
    PrintCounters("before");
    for (int i = 0; i < 100; ++i) {
        round();
        if (i == 49) PrintCounters("halfway");
    }
    PrintCounters("after");
    std::printf(
        "  Text1 exact after %d of %d presses and %d of %d Ctrl+Z (5 warm-up rounds "
        "included): %s\n",
        exactPresses, 2 * rounds, exactUndos, rounds,
        Exact(exactPresses == 2 * rounds && exactUndos == rounds));
}

// Wine's edit wraps one long line in quadratic time (minutes at this size); with a formatting
// rectangle too wide to wrap it takes linear time, and the press path is the same either way.
void LongLine() {
    std::printf("\nOne line of 1,000,000 characters, not wrapped\n");
    const std::u16string line = RealisticTextMaker(300).Line(1'000'000);
    const HWND edit = Form().Text1();
    Load(u"");
    RECT wide;
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&wide));
    wide.right = wide.left + 0x3FFFFFFF;
    SendMessageW(edit, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&wide));
    ThroughEachButtonAndBack(line);
    Load(u"");
    RECT client;  // the edit's own default, as WM_SIZE hands it
    GetClientRect(edit, &client);
    SendMessageW(edit, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&client));
}

// Last: the largest text sets the process's peak working set.
void FiftyMegabytes() {
    std::printf("\n50 MB through each button and back with Ctrl+Z\n");
    const std::u16string text = RealisticTextMaker(50).Lines(25'000'000);
    Load(u"");
    ThroughEachButtonAndBack(text);
    Load(u"");
    std::printf("  peak working set %.0f MB\n", Mb(MemoryNow().peakWorkingSet));
}

}  // namespace

bool BenchSoak() {
    const double start = Seconds();
    Presses();
    LongLine();
    FiftyMegabytes();
    std::printf("\nsoak: %.0f s\n", Seconds() - start);
    return g_allExact;
}
