#include "StressWindow.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>

namespace {

Form1* g_form = nullptr;
PrivatePeak* g_peak = nullptr;

INPUT Key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

Form1& Form() {
    return *g_form;
}

PrivatePeak& Peak() {
    return *g_peak;
}

void Pump() {
    // Twice, so that what the first round's messages posted is delivered too.
    for (int round = 0; round < 2; ++round) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!Form().PreTranslateMessage(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        Sleep(5);
    }
}

std::u16string TextOf(HWND control) {
    std::u16string text(static_cast<size_t>(GetWindowTextLengthW(control)), u'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, reinterpret_cast<wchar_t*>(text.data()),
                                                   static_cast<int>(text.size() + 1))));
    return text;
}

void SetText(std::u16string_view text) {
    const std::u16string copy(text);
    SetWindowTextW(Form().Text1(), reinterpret_cast<const wchar_t*>(copy.c_str()));
    Pump();
}

void Press(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);
    Pump();
}

void CtrlZ() {
    // BM_CLICK leaves the focus on the button; a person clicks back into the box first.
    if (GetForegroundWindow() != Form().Hwnd()) SetForegroundWindow(Form().Hwnd());
    SetFocus(Form().Text1());
    Pump();
    INPUT keys[] = {Key(VK_CONTROL, false), Key('Z', false), Key('Z', true), Key(VK_CONTROL, true)};
    SendInput(static_cast<UINT>(std::size(keys)), keys, sizeof(INPUT));
    Pump();
}

double Seconds() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

void Report(const char* format, ...) {
    std::printf("[  figure  ] ");
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::printf("\n");
    std::fflush(stdout);
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    PrivatePeak peak;
    g_peak = &peak;
    Form1 form;
    if (!form.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) return 2;
    g_form = &form;
    SetWindowPos(form.Hwnd(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(form.Hwnd());
    Pump();
    return RUN_ALL_TESTS();
}
