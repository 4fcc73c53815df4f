#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

#include "GdiObject.h"

// The maker's home page, opened by Label2.
inline constexpr char SiteUrl[] = "http://www.tavrin.example/";

// Windowless text drawn on the form; the mouse over it belongs to the label.
struct Label {
    RECT bounds;
    const wchar_t* caption;
    COLORREF foreColor;
};

// The program's one window: a text box, two buttons and two labels.
class Form1 {
public:
    Form1() = default;
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window and its controls, shows it and puts the focus in Text1.
    bool Create(HINSTANCE instance, int showCommand);
    // Dialog-style keyboard handling (Tab between controls); true when msg was handled.
    bool PreTranslateMessage(MSG& msg);

    HWND Hwnd() const { return m_hwnd; }
    HWND Text1() const { return m_text1; }
    HWND Command1() const { return m_command1; }
    HWND Command2() const { return m_command2; }
    const Label& Label1() const { return m_label1; }
    const Label& Label2() const { return m_label2; }

    // The window class, by which other programs (the benchmark) find the window.
    static constexpr wchar_t kClassName[] = L"TavrinBlankLinesForm1";

    // Event procedures.
    void Command1_Click();
    void Command2_Click();
    void Text1_KeyDown(int keyCode, int shift);
    void Form_MouseMove();
    void Label2_MouseMove();
    void Label2_Click();

    // Test seams: what Label2_Click calls, and a probe called where the button
    // procedures allocate (a test makes it throw std::bad_alloc).
    using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    ShellExecuteFn m_shellExecuteA = ::ShellExecuteA;
    void (*m_allocationProbe)() = nullptr;

private:
    using Transform = std::u16string (*)(std::u16string_view);

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK Text1Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR subclassId, DWORD_PTR refData);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void CreateControls();
    Label& LabelById(int id);
    void CreateFonts();
    void Layout();
    void Paint();
    void MouseMove(POINT point);
    void SetLabel2ForeColor(COLORREF color);

    void Probe() const;
    std::u16string Transformed(Transform transform) const;

    HWND m_hwnd = nullptr;
    HWND m_text1 = nullptr;
    HWND m_command1 = nullptr;
    HWND m_command2 = nullptr;
    HWND m_lastFocus = nullptr;
    Label m_label1{};
    Label m_label2{};
    bool m_label2Pressed = false;
    UINT m_dpi = 96;
    GdiObject<HFONT> m_messageFont;
    GdiObject<HFONT> m_text1Font;
};
