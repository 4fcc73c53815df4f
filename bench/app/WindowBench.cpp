// The window's figures, under Wine or on Windows. A figure passes or fails nothing, but a
// press or Ctrl+Z that leaves Text1 other than exact makes the exit code 1.
//  - A press of each button on 100 KB, 1 MB and 10 MB of realistic text and on 2,000,000
//    CR LF: BM_CLICK sent until it returns (the store is synchronous) and until the window
//    has repainted, next to the plainest way to the same end state (one WM_SETTEXT of the
//    result, for 加空行 then the caret at the end) timed the same two ways.
//  - The real program's start: CreateProcess until its window is visible and painted.
//  - The program's size.
//  - With --soak (minutes, off by default): see WindowSoak.h.
// Usage: window_bench [--runs N] [--exe PATH] [--no-presses] [--no-start] [--soak]
//   --runs N: runs of each press and of each start (default 3)

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "RealisticText.h"
#include "Seconds.h"
#include "WindowDriver.h"
#include "WindowSoak.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

const wchar_t* Wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

struct Timing {
    double returned;  // the message came back
    double painted;   // and the window has repainted what it changed
};

// Times `step` on the window: until it returns, and until the window has painted what it
// left invalid (the user sees the result only then). Anything else queued is delivered
// afterwards, outside the timing.
template <class Step>
Timing Timed(Step step) {
    const double start = Seconds();
    step();
    const double returned = Seconds() - start;
    RedrawWindow(Form().Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const double painted = Seconds() - start;
    Pump();
    return {returned, painted};
}

void LoadText1(const std::u16string& text) {
    SetText1(text);
    RedrawWindow(Form().Hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
}

struct Input {
    const char* name;
    std::u16string text;
};

std::u16string LineBreaks(int count) {
    std::u16string text;
    text.reserve(2 * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) text += u"\r\n";
    return text;
}

// The plainest way to the state a press leaves: the result in one WM_SETTEXT (caret at the
// start), and for 加空行 the caret then moved to the end and scrolled into view.
void PlainStore(HWND edit, const std::u16string& result, bool caretAtEnd) {
    SetWindowTextW(edit, Wide(result));
    if (!caretAtEnd) return;
    const auto end = static_cast<WPARAM>(result.size());
    SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

// Where the caret is and which line is at the top.
struct View {
    DWORD selectionStart, selectionEnd;
    LRESULT firstVisibleLine;
    bool operator==(const View&) const = default;
};

View ViewOf(HWND edit) {
    const auto [start, end] = Selection();
    return {start, end, SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0)};
}

// False when a press left Text1 other than the engine's result.
bool BenchPresses(int runs) {
    bool allWhole = true;
    const Input inputs[] = {
        {"100 KB", RealisticTextMaker(7).Lines(50 * 1024)},
        {"1 MB", RealisticTextMaker(7).Lines(512 * 1024)},
        {"10 MB", RealisticTextMaker(7).Lines(5 * 1024 * 1024)},
        {"2M CRLF", LineBreaks(2'000'000)},  // many short lines: the edit's line list
    };

    std::printf(
        "\nA press next to the plain store of its result: median seconds of %d runs until the "
        "message returns, and until the window has repainted\n",
        runs);
    std::printf("%-8s %-7s %9s %9s | %8s %8s | %8s %8s | %6s %6s\n", "text", "button", "units in",
                "units out", "press", "painted", "plain", "painted", "ratio", "painted");
    for (const Input& input : inputs) {
        for (const Button& button : kButtons) {
            const std::u16string result = button.engine(input.text);
            const HWND edit = Form().Text1();
            std::vector<double> press, pressPainted, plain, plainPainted;
            bool whole = true, sameView = true;
            for (int run = 0; run < runs; ++run) {
                LoadText1(input.text);
                const Timing pressed = Timed([&] { SendMessageW(button.Hwnd(), BM_CLICK, 0, 0); });
                press.push_back(pressed.returned);
                pressPainted.push_back(pressed.painted);
                whole = whole && Text1() == result;
                const View pressView = ViewOf(edit);

                LoadText1(input.text);
                const Timing set = Timed([&] { PlainStore(edit, result, button.caretAtEnd); });
                plain.push_back(set.returned);
                plainPainted.push_back(set.painted);
                sameView = sameView && ViewOf(edit) == pressView;
            }
            const double p = Median(press), pp = Median(pressPainted);
            const double t = Median(plain), tp = Median(plainPainted);
            std::printf("%-8s %-7s %9zu %9zu | %8.3f %8.3f | %8.3f %8.3f | %6.2f %6.2f%s%s\n",
                        input.name, button.name, input.text.size(), result.size(), p, pp, t, tp,
                        p / t, pp / tp, whole ? "" : "  (Text1 did not hold the engine's result)",
                        sameView ? "" : "  (caret or scrolling not as after the plain store)");
            std::fflush(stdout);
            allWhole = allWhole && whole;
        }
    }
    LoadText1(u"");
    std::printf(
        "plain: WM_SETTEXT of the result, for 加空行 then EM_SETSEL to the end and "
        "EM_SCROLLCARET. ratio: press / plain\n");
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
    if (processId == window.processId && GetClassNameW(hwnd, className, 64) &&
        std::wcscmp(className, Form1::kClassName) == 0) {
        window.hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindUnpainted(HWND hwnd, LPARAM unpainted) {
    if (IsWindowVisible(hwnd) && GetUpdateRect(hwnd, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(unpainted) = true;
        return FALSE;
    }
    return TRUE;
}

// Visible, and neither it nor any child has anything left to paint.
bool Painted(HWND hwnd) {
    if (!IsWindowVisible(hwnd) || GetUpdateRect(hwnd, nullptr, FALSE)) return false;
    bool unpainted = false;
    EnumChildWindows(hwnd, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
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
        const DWORD idle = WaitForInputIdle(process.hProcess, 20000);
        const double idleAt = Seconds() - start;
        ProgramWindow window{process.dwProcessId, nullptr};
        double paintedAt = -1;
        while (Seconds() - start < 20) {
            if (!window.hwnd) EnumWindows(FindProgramWindow, reinterpret_cast<LPARAM>(&window));
            if (window.hwnd && Painted(window.hwnd)) {
                paintedAt = Seconds() - start;
                break;
            }
            Sleep(1);
        }
        double closedAt = -1;
        if (window.hwnd) {
            const double closing = Seconds();
            PostMessageW(window.hwnd, WM_CLOSE, 0, 0);
            if (WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0)
                closedAt = Seconds() - closing;
        }
        if (closedAt < 0) TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        std::printf(
            "  run %d: painted %.3f s (WaitForInputIdle %s at %.3f s), WM_CLOSE to exit "
            "%.3f s\n",
            run + 1, paintedAt, idle == 0 ? "returned" : "timed out/failed", idleAt, closedAt);
        std::fflush(stdout);
        if (paintedAt >= 0) painted.push_back(paintedAt);
    }
    if (!painted.empty())
        std::printf("  median to first paint: %.3f s over %zu runs\n", Median(painted),
                    painted.size());
}

void PrintSize(const std::wstring& exe) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(exe.c_str(), GetFileExInfoStandard, &data)) {
        std::printf("\n%ls: not found\n", exe.c_str());
        return;
    }
    const unsigned long long bytes =
        (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    std::printf("\nSize of %ls: %llu bytes (%.1f KiB)\n", exe.c_str(), bytes, bytes / 1024.0);
}

// The program as the build made it; a Unix path (the cross build under Wine) through Z:.
std::wstring ProgramPath() {
    const std::string path = APP_EXE;
    std::wstring wide(path.begin(), path.end());
    if (!wide.empty() && wide[0] == L'/') wide = L"Z:" + wide;
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    return wide;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring exe = ProgramPath();
    int runs = 3;
    bool presses = true, start = true, soak = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::wcscmp(argv[i], L"--runs") && i + 1 < argc)
            runs = std::max(1, _wtoi(argv[++i]));
        else if (!std::wcscmp(argv[i], L"--exe") && i + 1 < argc)
            exe = argv[++i];
        else if (!std::wcscmp(argv[i], L"--no-presses"))
            presses = false;
        else if (!std::wcscmp(argv[i], L"--no-start"))
            start = false;
        else if (!std::wcscmp(argv[i], L"--soak"))
            soak = true;
    }
    SetConsoleOutputCP(CP_UTF8);

    bool exact = true;
    if (presses || soak) {
        Form1 form;
        if (!StartForm(form)) return 2;
        if (presses) exact = BenchPresses(runs);
        if (soak) exact = BenchSoak() && exact;
    }
    if (start) BenchStart(exe, runs);
    PrintSize(exe);
    if (!exact) std::printf("\nText1 was not exact after a press or Ctrl+Z: exit code 1\n");
    return exact ? 0 : 1;
}
