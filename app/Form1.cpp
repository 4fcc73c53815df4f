#include "Form1.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "Accessibility.h"
#include "EditText.h"
#include "resource.h"

namespace {

constexpr wchar_t kCaption[] = L" Tavrin文本去空行加空行";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Not IDOK / IDCANCEL, so the dialog manager's Enter and Esc press no button.
enum ControlId : int { kText1 = 100, kCommand1, kCommand2, kLabel1, kLabel2 };

// The controls in the order of their rectangles in kDesignTwips, which is the tab order.
struct ControlRow {
    int id;
    const wchar_t* className;  // nullptr: a windowless label
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
};
constexpr ControlRow kControls[kControlCount] = {
    {kText1, L"EDIT", L"", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
     WS_EX_CLIENTEDGE},
    {kCommand1, L"BUTTON", L"去空行", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {kCommand2, L"BUTTON", L"加空行", WS_TABSTOP | BS_PUSHBUTTON, 0},
    {kLabel1, nullptr, L"请将需要处理的文本复制到下面的输入框里", 0, 0},
    {kLabel2, nullptr, L"Tavrin  ", 0, 0},
};
static_assert(kControls[kLabel1Index].id == kLabel1 && kControls[kLabel2Index].id == kLabel2);

constexpr WPARAM kCtrlAChar = 0x01;
constexpr int kText1PointsTimes10 = 105;

// The KeyDown event's shift mask: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftMask() {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

RECT ToRECT(const Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

Form1::~Form1() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

bool Form1::Create(HINSTANCE instance, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    if (!CreateWindowExW(0, kClassName, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this))
        return false;
    ShowWindow(m_hwnd, showCommand);
    SetFocus(m_text1);
    return true;
}

bool Form1::PreTranslateMessage(MSG& msg) {
    if (!m_hwnd) return false;
    // Ctrl+A has selected all; before Windows 10 1809 the edit beeps at the key's character,
    // later ones select all a second time.
    if (msg.message == WM_CHAR && msg.hwnd == m_text1 && msg.wParam == kCtrlAChar &&
        std::exchange(m_swallowSelectAllChar, false))
        return true;
    return IsDialogMessageW(m_hwnd, &msg);
}

LRESULT CALLBACK Form1::WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Form1* self;
    if (message == WM_NCCREATE) {
        self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind into the system's code; a press that failed has stored nothing.
        return 0;
    }
}

LRESULT CALLBACK Form1::Text1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR subclassId, DWORD_PTR refData) {
    try {
        Form1& form = *reinterpret_cast<Form1*>(refData);
        if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
            form.m_swallowSelectAllChar = false;
            form.Text1_KeyDown(static_cast<int>(wParam), ShiftMask());
            // A multi-line edit that has seen dialog-style keyboard handling closes its
            // parent on Esc; Esc has no other use in it.
            if (wParam == VK_ESCAPE) return 0;
        } else if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, Text1Proc, subclassId);
        }
    } catch (...) {
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            m_dpi = DpiOfWindow(m_calls.user32, m_hwnd);
            CreateControls();
            return 0;

        // The focus goes back to Text1 first, so that it is there even after a press that
        // failed, and Ctrl+A, Ctrl+C, Ctrl+Z act on the text at once.
        case WM_COMMAND:
            // The edit took less than all of a store: out of memory, or a length limit.
            if (reinterpret_cast<HWND>(lParam) == m_text1 &&
                (HIWORD(wParam) == EN_ERRSPACE || HIWORD(wParam) == EN_MAXTEXT))
                m_text1Refused = true;
            if (HIWORD(wParam) == BN_CLICKED &&
                (LOWORD(wParam) == kCommand1 || LOWORD(wParam) == kCommand2)) {
                SetFocus(m_text1);
                LOWORD(wParam) == kCommand1 ? Command1_Click() : Command2_Click();
            }
            return 0;

        case WM_MOUSEMOVE: MouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;

        case WM_LBUTTONDOWN: {
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            m_label2Pressed = PtInRect(&Label2().bounds, point);
            return 0;
        }

        case WM_LBUTTONUP: {
            const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const bool pressed = m_label2Pressed;
            m_label2Pressed = false;
            if (pressed && PtInRect(&Label2().bounds, point)) Label2_Click();
            return 0;
        }

        case WM_SETCURSOR:
            if (reinterpret_cast<HWND>(wParam) == m_hwnd && LOWORD(lParam) == HTCLIENT) {
                POINT point;
                GetCursorPos(&point);
                ScreenToClient(m_hwnd, &point);
                if (PtInRect(&Label2().bounds, point)) {
                    SetCursor(LoadCursorW(nullptr, IDC_HAND));
                    return TRUE;
                }
            }
            break;

        case WM_PAINT: Paint(); return 0;

        case WM_CTLCOLOREDIT:
            if (reinterpret_cast<HWND>(lParam) == m_text1) {
                return Text1Colours(reinterpret_cast<HDC>(wParam));
            }
            break;

        // Another colour scheme or contrast theme: everything is drawn again in its colours.
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            if (message == WM_SYSCOLORCHANGE) {
                m_labels[0].foreColor = GetSysColor(COLOR_BTNTEXT);  // Label1 is the system's text
                for (HWND child : {m_text1, m_command1, m_command2})
                    SendMessageW(child, message, wParam, lParam);
            }
            RedrawWindow(m_hwnd, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
            break;

        // Tab from the multi-line edit under dialog-style keyboard handling.
        case WM_NEXTDLGCTL: {
            const HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                             : GetNextDlgTabItem(m_hwnd, GetFocus(), wParam != 0);
            if (next) SetFocus(next);
            return 0;
        }

        // Enter on a focused button presses that button; Text1 keeps Enter for itself.
        case DM_GETDEFID: {
            const HWND focus = GetFocus();
            if (focus == m_command1 || focus == m_command2)
                return MAKELRESULT(GetDlgCtrlID(focus), DC_HASDEFID);
            return 0;
        }

        // Give the focus back to the control that had it when the window was left.
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                const HWND focus = GetFocus();
                if (focus && IsChild(m_hwnd, focus)) m_lastFocus = focus;
            }
            break;

        case WM_SETFOCUS:
            if (m_lastFocus) SetFocus(m_lastFocus);
            return 0;

        // Windows suggests where the window goes; its size follows from the twips at the new DPI
        // as far as that monitor's work area allows.
        case WM_DPICHANGED:
            m_dpi = HIWORD(wParam);
            CreateFonts();
            Place(*reinterpret_cast<const RECT*>(lParam));
            InvalidateRect(m_hwnd, nullptr, TRUE);
            return 0;

        case WM_DESTROY:
            SetAccessibleName(m_text1, nullptr);
            PostQuitMessage(0);
            return 0;

        case WM_NCDESTROY:
            SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
            DefWindowProcW(m_hwnd, message, wParam, lParam);
            m_hwnd = m_text1 = m_command1 = m_command2 = m_lastFocus = nullptr;
            return 0;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void Form1::CreateControls() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(m_hwnd, GWLP_HINSTANCE));
    for (const ControlRow& row : kControls) {
        if (row.className)
            CreateWindowExW(
                row.exStyle, row.className, row.text, WS_CHILD | WS_VISIBLE | row.style, 0, 0, 0, 0,
                m_hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance, nullptr);
    }
    m_labels[0] = {{}, kControls[kLabel1Index].text, GetSysColor(COLOR_BTNTEXT)};
    m_labels[1] = {{}, kControls[kLabel2Index].text, GetSysColor(COLOR_BTNTEXT)};
    m_text1 = GetDlgItem(m_hwnd, kText1);
    m_command1 = GetDlgItem(m_hwnd, kCommand1);
    m_command2 = GetDlgItem(m_hwnd, kCommand2);
    m_lastFocus = m_text1;

    // The default limit (about 30,000 characters) would cut typed and pasted text.
    SendMessageW(m_text1, EM_SETLIMITTEXT, 0, 0);
    SetWindowSubclass(m_text1, Text1Proc, 0, reinterpret_cast<DWORD_PTR>(this));
    // Label1 is drawn, not a window, so a screen reader would announce a bare edit.
    SetAccessibleName(m_text1, kControls[kLabel1Index].text);

    CreateFonts();
    RECT where;
    GetWindowRect(m_hwnd, &where);
    Place(where);
}

// The window as PlaceWindow puts it on the monitor of where, from where's corner, the controls as
// LayoutControls lays them out. Where the frame is not what the system predicted (Wine keeps
// its frame at the system DPI), a second pass corrects by the difference. The controls follow
// the client size asked for, which a minimized window does not have.
void Form1::Place(const RECT& where) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromRect(&where, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& w = monitor.rcWork;
    const Rect work{w.left, w.top, w.right, w.bottom};
    const SIZE predicted = FrameAt(m_calls.user32, kStyle, m_dpi);
    Size frame{predicted.cx, predicted.cy};
    Placement placement{};
    for (int pass = 0; pass < 2; ++pass) {
        placement = PlaceWindow(static_cast<int>(m_dpi), frame, work, where.left, where.top);
        const Rect& r = placement.window;
        SetWindowPos(m_hwnd, nullptr, r.left, r.top, r.Width(), r.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        RECT window, client;
        GetWindowRect(m_hwnd, &window);
        GetClientRect(m_hwnd, &client);
        if (IsIconic(m_hwnd) || (client.right == placement.client.cx &&
                                 client.bottom == placement.client.cy))
            break;
        frame = {window.right - window.left - client.right,
                 window.bottom - window.top - client.bottom};
    }
    const ControlRects rects = LayoutControls(static_cast<int>(m_dpi), placement.client);
    for (size_t i = 0; i < kControlCount; ++i) {
        const Rect& r = rects[i];
        if (i == kLabel1Index || i == kLabel2Index)
            m_labels[i - kLabel1Index].bounds = ToRECT(r);
        else
            SetWindowPos(GetDlgItem(m_hwnd, kControls[i].id), nullptr, r.left, r.top, r.Width(),
                         r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form1::CreateFonts() {
    LOGFONTW text1Font{};
    text1Font.lfHeight = -MulDiv(kText1PointsTimes10, static_cast<int>(m_dpi), 720);
    text1Font.lfWeight = FW_NORMAL;
    text1Font.lfCharSet = ANSI_CHARSET;
    lstrcpynW(text1Font.lfFaceName, L"Arial", LF_FACESIZE);
    const LOGFONTW messageFont = MessageFontAt(m_calls.user32, m_dpi);

    GdiObject<HFONT> newText1Font(CreateFontIndirectW(&text1Font));
    GdiObject<HFONT> newMessageFont(CreateFontIndirectW(&messageFont));
    const auto setFont = [](HWND control, const GdiObject<HFONT>& font) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    };
    setFont(m_text1, newText1Font);
    setFont(m_command1, newMessageFont);
    setFont(m_command2, newMessageFont);
    // The controls have let go of the old fonts; now they may be deleted.
    m_text1Font = std::move(newText1Font);
    m_messageFont = std::move(newMessageFont);
}
