#include "WindowDriver.h"

#include <commctrl.h>

#include <stdexcept>

#include "EditText.h"
#include "text/BlankLines.h"

namespace {

Form1* g_form = nullptr;

// Input the system refuses, or sends to another window, is lost without a word: fail instead.
void Send(std::vector<INPUT> inputs) {
    const HWND form = Form().Hwnd();
    const HWND focus = GetFocus();
    if (!BringToFront(form))
        throw std::runtime_error("input not sent: the window could not be brought to the front");
    const bool ours = focus && IsChild(form, focus);
    if (ours && GetFocus() != focus) SetFocus(focus);  // activation may have moved it
    if (ours && GetFocus() != focus)
        throw std::runtime_error("input not sent: the focus is not where the test put it");
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
        throw std::runtime_error("input not sent: SendInput refused some of it");
    Pump();
}

}  // namespace

// Where another program holds the foreground (a CI runner's console), Windows may refuse it: then
// share that thread's input state, or hold Alt, which lifts the lock (and opens no menu here).
bool BringToFront(HWND hwnd) {
    for (int attempt = 0; attempt < 3 && GetForegroundWindow() != hwnd; ++attempt) {
        const DWORD self = GetCurrentThreadId();
        const DWORD front = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
        const bool attached =
            attempt == 1 && front && front != self && AttachThreadInput(self, front, TRUE);
        if (attempt == 2) keybd_event(VK_MENU, 0, 0, 0);
        SetForegroundWindow(hwnd);
        BringWindowToTop(hwnd);
        if (attempt == 2) keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
        if (attached) AttachThreadInput(self, front, FALSE);
        Pump();
    }
    return GetForegroundWindow() == hwnd;
}

const Button kButtons[2] = {{"去空行", &Form1::Command1, RemoveBlankLines, false},
                            {"加空行", &Form1::Command2, AddBlankLines, true}};

bool StartForm(Form1& form) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!form.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL)) return false;
    g_form = &form;
    // Wine now and then drops the first injected input after a window appears.
    MouseTo(form.Hwnd(), {600, 20});
    return true;
}

Form1& Form() {
    return *g_form;
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

std::u16string Text1() {
    return ReadEditText(Form().Text1(), GetWindowTextLengthW(Form().Text1()));
}

void SetText1(std::u16string_view text) {
    SetWindowTextW(Form().Text1(), AsWide(std::u16string(text).c_str()));
}

std::pair<DWORD, DWORD> Selection() {
    DWORD start = 0, end = 0;
    SendMessageW(Form().Text1(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void Keys(const std::vector<WORD>& chord) {
    std::vector<INPUT> inputs;
    for (const DWORD flags : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}})
        for (size_t i = 0; i < chord.size(); ++i) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = chord[flags ? chord.size() - 1 - i : i];
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(input.ki.wVk, MAPVK_VK_TO_VSC));
            input.ki.dwFlags = flags;
            inputs.push_back(input);
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
