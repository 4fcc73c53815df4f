#include "AppTest.h"

#include "EditText.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string_view>
#include <vector>

namespace {

Form1* g_form = nullptr;
HWND g_focusAtStart = nullptr;

void Send(std::vector<INPUT> inputs) {
    SetForegroundWindow(Form().Hwnd());
    Pump();
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Pump();
}

}  // namespace

Form1& Form() {
    return *g_form;
}

HWND FocusAtStart() {
    return g_focusAtStart;
}

void Pump() {
    // Until no input or posted message has come for 20 ms (injected input reaches the queue a
    // little later); timers and paints do not count, the caret and hot-tracking never stop.
    const ULONGLONG deadline = GetTickCount64() + 1000;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!Form().PreTranslateMessage(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    } while (MsgWaitForMultipleObjects(0, nullptr, FALSE, 20,
                                       QS_INPUT | QS_POSTMESSAGE | QS_SENDMESSAGE) !=
                 WAIT_TIMEOUT &&
             GetTickCount64() < deadline);
}

std::u16string TextOf(HWND control) {
    return ReadEditText(control);
}

void SetText(std::u16string_view text) {
    SetWindowTextW(Form().Text1(), reinterpret_cast<const wchar_t*>(std::u16string(text).c_str()));
}

std::pair<DWORD, DWORD> Selection() {
    DWORD start = 0, end = 0;
    SendMessageW(Form().Text1(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void Select(DWORD start, DWORD end) {
    SendMessageW(Form().Text1(), EM_SETSEL, start, end);
}

void Click(HWND button) {
    SendMessageW(button, BM_CLICK, 0, 0);  // the press runs before this returns
}

void Keys(std::initializer_list<WORD> chord) {
    std::vector<INPUT> inputs(2 * chord.size());
    for (size_t i = 0; i < chord.size(); ++i) {
        INPUT& down = inputs[i];
        INPUT& up = inputs[inputs.size() - 1 - i];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = chord.begin()[i];
        down.ki.wScan = up.ki.wScan =
            static_cast<WORD>(MapVirtualKeyW(down.ki.wVk, MAPVK_VK_TO_VSC));
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    Send(inputs);
}

// A move, then the button flags given (MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP for a click).
void MouseTo(HWND window, POINT client, DWORD buttons) {
    ClientToScreen(window, &client);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(client.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(client.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    // Wine now and then drops the first injected move after a window appears: send it again.
    POINT at{};
    for (int i = 0; i < 5 && GetCursorPos(&at) && (at.x != client.x || at.y != client.y); ++i)
        Send({input});
    std::vector<INPUT> clicks;
    for (DWORD flag : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
        input.mi.dwFlags = flag;
        if (buttons & flag) clicks.push_back(input);
    }
    if (!clicks.empty()) Send(clicks);
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

int main(int argc, char** argv) {
    // Started by the shell as the test's http handler: record the address and go.
    if (argc == 4 && std::string_view(argv[1]) == kRecordUrl) {
        if (FILE* marker = std::fopen(argv[2], "w")) {
            std::fputs(argv[3], marker);
            std::fclose(marker);
        }
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    Form1 form;
    if (!form.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) return 2;
    g_form = &form;
    g_focusAtStart = GetFocus();
    SetWindowPos(form.Hwnd(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    MouseTo(form.Hwnd(), {600, 20});  // the first injected input is the one Wine may drop
    return RUN_ALL_TESTS();
}
