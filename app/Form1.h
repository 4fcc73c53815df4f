#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

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

struct ControlRow;  // a row of the table Form1's controls are made from

// What Form1 calls outside itself, so that a test can stand in for it.
struct Form1Calls {
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    using Transform = std::u16string (*)(std::u16string_view);
    ShellExecuteFn shellExecuteA = ::ShellExecuteA;
    Transform removeBlankLines = RemoveBlankLines;
    Transform addBlankLines = AddBlankLines;
};

// The program's one window: a text box, two buttons and two labels.
class Form1 {
public:
    explicit Form1(const Form1Calls& calls = {}) : m_calls(calls) {}
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

    // Event procedures.
    void Command1_Click();
    void Command2_Click();
    void Text1_KeyDown(int keyCode, int shift);
    void Form_MouseMove();
    void Label2_MouseMove();
    void Label2_Click();

private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Text1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR refData);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    Label& LabelOf(const ControlRow& row);
    void CreateFonts();
    void Layout(SIZE lost);
    SIZE SizeWindow(const RECT& where);
    void Paint();
    void MouseMove(POINT point);
    void SetLabel2ForeColor(COLORREF color);

    std::u16string Transformed(Form1Calls::Transform transform) const;

    const Form1Calls m_calls;
    HWND m_hwnd = nullptr;
    HWND m_text1 = nullptr;
    HWND m_command1 = nullptr;
    HWND m_command2 = nullptr;
    HWND m_lastFocus = nullptr;
    Label m_labels[2]{};
    bool m_label2Pressed = false;
    bool m_swallowSelectAllChar = false;
    UINT m_dpi = 96;
    GdiObject<HFONT> m_messageFont;
    GdiObject<HFONT> m_text1Font;
};
