// The window's figures, under Wine or on Windows. A figure passes or fails nothing, but a
// press that leaves Text1 other than the engine's result makes the exit code 1.
//  - A press of each button on 100 KB, 1 MB and 10 MB of realistic text and on 2,000,000
//    CR LF: BM_CLICK sent until it returns (the store is synchronous) and until the window
//    has repainted, next to the plainest way to the same end state timed the same two ways.
//  - The real program's start: CreateProcess until its window is visible and painted.
// Usage: window_bench [--runs N] [--exe PATH]   (N runs of each press and start, default 3)

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "EditText.h"
#include "RealisticText.h"
#include "WindowDriver.h"

namespace {

double Seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void PaintNow() {
    RedrawWindow(Form().Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Seconds until `step` returns, and until the window has painted what it left invalid (the
// user sees the result only then). Anything else queued is delivered after the timing.
template <class Step>
std::pair<double, double> Timed(Step step) {
    const double start = Seconds();
    step();
    const double returned = Seconds() - start;
    PaintNow();
    const double painted = Seconds() - start;
    Pump();
    return {returned, painted};
}

void Load(const std::u16string& text) {
    SetText1(text);
    PaintNow();
    Pump();
}

// False when a press left Text1 other than the engine's result.
bool BenchPresses(int runs) {
    const std::pair<const char*, std::u16string> inputs[] = {
        {"100 KB", RealisticTextMaker(7).Lines(50 * 1024)},
        {"1 MB", RealisticTextMaker(7).Lines(512 * 1024)},
        {"10 MB", RealisticTextMaker(7).Lines(5 * 1024 * 1024)},
        {"2M CRLF", LineBreaks(2'000'000)},  // many short lines: the edit's line list
    };
    std::printf(
        "\nA press next to the plain store of its result: median seconds of %d runs until "
        "the message returns, and until the window has repainted\n"
        "%-8s %-7s %9s %9s | %8s %8s | %8s %8s | %6s %6s\n",
        runs, "text", "button", "units in", "units out", "press", "painted", "plain", "painted",
        "ratio", "painted");
    bool allWhole = true;
    for (const auto& [name, text] : inputs) {
        for (const Button& button : kButtons) {
            const std::u16string result = button.engine(text);
            std::vector<double> press, pressPainted, plain, plainPainted;
            bool whole = true;
            for (int run = 0; run < runs; ++run) {
                Load(text);
                const auto [pressed, painted] = Timed([&] { Click(button.Hwnd()); });
                press.push_back(pressed);
                pressPainted.push_back(painted);
                whole = whole && Text1() == result;
                Load(text);
                // The plainest way to the state a press leaves: one WM_SETTEXT of the result,
                // for 加空行 then the caret at the end, scrolled into view.
                const auto [set, setPainted] = Timed([&] {
                    SetText1(result);
                    if (button.caretAtEnd)
                        SetEditCaret(Form().Text1(), static_cast<int>(result.size()));
                });
                plain.push_back(set);
                plainPainted.push_back(setPainted);
            }
            const double p = Median(press), pp = Median(pressPainted);
            const double t = Median(plain), tp = Median(plainPainted);
            std::printf("%-8s %-7s %9zu %9zu | %8.3f %8.3f | %8.3f %8.3f | %6.2f %6.2f%s\n", name,
                        button.name, text.size(), result.size(), p, pp, t, tp, p / t, pp / tp,
                        whole ? "" : "  (Text1 did not hold the engine's result)");
            std::fflush(stdout);
            allWhole = allWhole && whole;
        }
    }
    Load(u"");
    return allWhole;
}

struct ProgramWindow {
    DWORD processId;
    HWND hwnd;
};

BOOL CALLBACK FindProgramWindow(HWND hwnd, LPARAM found) {
    auto& window = *reinterpret_cast<ProgramWindow*>(found);
    wchar_t className[64];
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId != window.processId || !GetClassNameW(hwnd, className, 64) ||
        std::wcscmp(className, Form1::kClassName) != 0)
        return TRUE;
    window.hwnd = hwnd;
    return FALSE;
}

BOOL CALLBACK FindUnpainted(HWND hwnd, LPARAM unpainted) {
    *reinterpret_cast<bool*>(unpainted) =
        IsWindowVisible(hwnd) && GetUpdateRect(hwnd, nullptr, FALSE);
    return !*reinterpret_cast<bool*>(unpainted);
}

// Visible, and neither it nor any child has anything left to paint.
bool Painted(HWND hwnd) {
    bool unpainted = !IsWindowVisible(hwnd) || GetUpdateRect(hwnd, nullptr, FALSE);
    if (!unpainted) EnumChildWindows(hwnd, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

void BenchStart(const std::wstring& exe, int runs) {
    std::printf("\nStart of %ls: CreateProcess until the window is visible and painted\n",
                exe.c_str());
    std::vector<double> painted;
    for (int run = 0; run < runs; ++run) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        std::wstring commandLine = L"\"" + exe + L"\"";
        const double start = Seconds();
        if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            std::printf("  CreateProcess failed (%lu)\n", GetLastError());
            return;
        }
        ProgramWindow window{process.dwProcessId, nullptr};
        while (Seconds() - start < 20) {
            if (!window.hwnd) EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&window));
            if (window.hwnd && Painted(window.hwnd)) {
                painted.push_back(Seconds() - start);
                std::printf("  run %d: %.3f s\n", run + 1, painted.back());
                break;
            }
            Sleep(1);
        }
        if (!window.hwnd || !PostMessageW(window.hwnd, WM_CLOSE, 0, 0) ||
            WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    if (!painted.empty())
        std::printf("  median to first paint: %.3f s over %zu runs\n", Median(painted),
                    painted.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The program as the build made it; a Unix path (the cross build under Wine) through Z:.
    const std::string built = APP_EXE;
    std::wstring exe(built.begin(), built.end());
    if (exe.starts_with(L"/")) exe = L"Z:" + exe;
    std::replace(exe.begin(), exe.end(), L'/', L'\\');
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::wcscmp(argv[i], L"--runs")) runs = std::max(1, _wtoi(argv[i + 1]));
        if (!std::wcscmp(argv[i], L"--exe")) exe = argv[i + 1];
    }
    SetConsoleOutputCP(CP_UTF8);

    bool exact;
    {
        Form1 form;  // gone before the program starts
        if (!StartForm(form)) return 2;
        exact = BenchPresses(runs);
    }
    BenchStart(exe, runs);
    if (!exact)
        std::printf("\nText1 did not hold the engine's result after a press: exit code 1\n");
    return exact ? 0 : 1;
}
