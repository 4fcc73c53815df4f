#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <string_view>

#include "Dpi.h"
#include "Geometry.h"
#include "GdiObject.h"
#include "Site.h"
#include "text/BlankLines.h"

// The maker's home page, opened by Label2.
inline constexpr char SiteUrl[] = APP_SITE_URL;

// Windowless text drawn on the form; the mouse over it belongs to the label.
struct Label {
    RECT bounds;
    const wchar_t* caption;
    COLORREF foreColor;
};

// What Form1 calls outside itself, handed in once: a test stands in for the shell, the
// transformations and the user32 calls newer than Windows 7 (a set without them is Windows 7).
struct Form1Calls {
    using Transform = std::function<std::u16string(std::u16string_view)>;
    std::function<HINSTANCE(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT)> shellExecuteA =
        ::ShellExecuteA;
    Transform removeBlankLines = RemoveBlankLines;
    Transform addBlankLines = AddBlankLines;
    NewerUser32 user32 = NewerUser32OfThisSystem();
};

// The program's one window: a text box, two buttons and two labels.
class Form1 {
public:
    explicit Form1(Form1Calls calls = {}) : m_calls(std::move(calls)) {}
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window and its controls, shows it and puts the focus in Text1.
    bool Create(HINSTANCE instance, int showCommand);
    // Dialog-style keyboard handling (Tab between controls) and the character of Ctrl+A kept
    // from Text1; true when msg was handled.
    bool PreTranslateMessage(MSG& msg);

    HWND Hwnd() const { return m_hwnd; }
    HWND Text1() const { return m_text1; }
    HWND Command1() const { return m_command1; }
    HWND Command2() const { return m_command2; }
    const Label& Label1() const { return m_labels[0]; }
    const Label& Label2() const { return m_labels[1]; }

    // The window class, by which other programs (the benchmark) find the window.
    static constexpr wchar_t kClassName[] = L"TavrinBlankLinesForm1";

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Text1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR refData);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Event procedures.
    void Command1_Click();
    void Command2_Click();
    void Text1_KeyDown(int keyCode, int shift);
    void Form_MouseMove();
    void Label2_MouseMove();
    void Label2_Click();

    void CreateControls();
    void CreateFonts();
    void Place(const RECT& where);
    void Paint();
    LRESULT Text1Colours(HDC dc);
    void MouseMove(POINT point);
    void SetLabel2ForeColor(COLORREF color);
    bool StoreText1(const std::u16string& text, int length);

    const Form1Calls m_calls;
    HWND m_hwnd = nullptr;
    HWND m_text1 = nullptr;
    HWND m_command1 = nullptr;
    HWND m_command2 = nullptr;
    HWND m_lastFocus = nullptr;
    Label m_labels[2]{};
    bool m_label2Pressed = false;
    bool m_swallowSelectAllChar = false;
    bool m_text1Refused = false;  // Text1 took less than all of a store (out of memory)
    UINT m_dpi = 96;
    GdiObject<HFONT> m_messageFont;
    GdiObject<HFONT> m_text1Font;
};
