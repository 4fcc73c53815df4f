#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "AppTest.h"
#include "Dpi.h"
#include "Site.h"
#include "WindowDriver.h"

namespace {

// At 96 DPI, the one fixed point: the client area, Text1, Command1, Command2, Label1, Label2.
constexpr RECT kDesign96[] = {{0, 0, 889, 601},
                              {24, 40, 24 + 841, 40 + 473},
                              {312, 544, 312 + 121, 544 + 33},
                              {472, 544, 472 + 113, 544 + 33},
                              {24, 16, 24 + 281, 16 + 25},
                              {800, 16, 800 + 89, 16 + 17}};

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font;
}

std::string Str(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " to " + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// At any DPI: the design scaled by dpi/96, each edge within a pixel (exact at 96); the controls in
// the client area, apart but for the design pixel by which Label1's box reaches into Text1's.
void ExpectLayout(UINT dpi) {
    const double scale = dpi / 96.0, slack = dpi == 96 ? 0 : 1;
    const auto closeTo = [&](LONG actual, LONG at96) {
        return std::abs(actual - at96 * scale) <= slack;
    };
    const Form1& f = Form();
    std::vector<RECT> rects(1);
    GetClientRect(f.Hwnd(), &rects[0]);
    for (HWND control : {f.Text1(), f.Command1(), f.Command2()}) {
        RECT& r = rects.emplace_back();
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, f.Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    }
    rects.push_back(f.Label1().bounds);
    rects.push_back(f.Label2().bounds);
    for (size_t i = 0; i < rects.size(); ++i) {
        const RECT &r = rects[i], &design = kDesign96[i];
        EXPECT_TRUE(closeTo(r.left, design.left) && closeTo(r.top, design.top) &&
                    closeTo(r.right, design.right) && closeTo(r.bottom, design.bottom))
            << dpi << " DPI: rectangle " << i << " is " << Str(r) << ", designed " << Str(design);
        RECT part;  // of r in the client area, then in each control before it
        EXPECT_TRUE(IntersectRect(&part, &r, &rects[0]) && EqualRect(&part, &r))
            << dpi << " DPI: control " << i << " at " << Str(r) << " outside " << Str(rects[0]);
        for (size_t j = 1; j < i; ++j) {
            IntersectRect(&part, &r, &rects[j]);  // empty: all zero
            EXPECT_LE(std::min(part.right - part.left, part.bottom - part.top), scale + 1)
                << dpi << " DPI: controls " << j << " and " << i << " overlap in " << Str(part);
        }
    }
    const LOGFONTW font = FontOf(f.Text1());
    EXPECT_EQ(std::make_tuple(std::wstring(font.lfFaceName), font.lfHeight, font.lfWeight,
                              font.lfCharSet),
              std::make_tuple(std::wstring(L"Arial"), -MulDiv(105, static_cast<int>(dpi), 720),
                              LONG{400}, BYTE{0}))
        << dpi << " DPI";
}

// Lets the window grow past the screen (1920x1080 on a CI runner), as on a monitor that fits it.
LRESULT CALLBACK GrowPastTheScreen(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR) {
    if (message == WM_GETMINMAXINFO)
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = {10000, 10000};
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::u16string g_charsToText1;

// Sees what reaches Text1 ahead of the program's own subclass.
LRESULT CALLBACK RecordChars(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    if (message == WM_CHAR) g_charsToText1 += static_cast<char16_t>(wParam);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

TEST(Window, CaptionStylesAndLayoutAtTheStartingDpi) {
    wchar_t caption[64];
    GetWindowTextW(Form().Hwnd(), caption, 64);
    EXPECT_STREQ(caption, L" Tavrin文本去空行加空行");
    EXPECT_EQ(GetWindowLongW(Form().Hwnd(), GWL_STYLE) &
                  (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_MINIMIZEBOX);
    EXPECT_EQ(GetWindowLongW(Form().Text1(), GWL_STYLE) &
                  (ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL),
              ES_WANTRETURN | WS_VSCROLL);
    EXPECT_EQ(g_focusAtStart, Form().Text1());
    const UINT dpi = DpiOfWindow(Form().Hwnd());
    std::printf("starting at %u DPI\n", dpi);
    ExpectLayout(dpi);
    // Also where the per-DPI call is missing (app_tests_win7), the buttons start in the
    // system's message font.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    const LOGFONTW font = FontOf(Form().Command1());
    EXPECT_EQ(std::make_tuple(std::wstring(font.lfFaceName), font.lfHeight),
              std::make_tuple(std::wstring(metrics.lfMessageFont.lfFaceName),
                              metrics.lfMessageFont.lfHeight));
}

// Wine never sends WM_DPICHANGED; Windows does when the window moves between monitors.
TEST(Window, DpiChangesLayOutAgainAndKeepTheText) {
    const UINT start = DpiOfWindow(Form().Hwnd());
    SetText1(u"a  \r\n\r\nb");
    Click(Form().Command1());
    Select(1, 3);
    const LONG buttonFont = std::labs(FontOf(Form().Command1()).lfHeight);
    SetWindowSubclass(Form().Hwnd(), GrowPastTheScreen, 1, 0);
    // Under Wine the first relayout with the caret in Text1 leaves a DC and a region more (a
    // cache that grows once), later ones none: count from after it.
    MoveToDpi(start == 144u ? 96u : 144u);
    const auto objects = GuiObjects();
    for (UINT dpi : {192u, start == 144u ? 96u : 144u, start}) {
        MoveToDpi(dpi);
        ExpectLayout(dpi);
        // The message font scales with the DPI (rounding aside).
        EXPECT_NEAR(std::labs(FontOf(Form().Command1()).lfHeight),
                    static_cast<double>(buttonFont) * dpi / start, 1.0)
            << dpi << " DPI";
        EXPECT_EQ(Text1(), u"a\n\r\nb") << dpi << " DPI";
        EXPECT_EQ(Selection(), std::make_pair(1ul, 3ul)) << dpi << " DPI";
    }
    RemoveWindowSubclass(Form().Hwnd(), GrowPastTheScreen, 1);
    EXPECT_EQ(GuiObjects(), objects) << "the old fonts are deleted";
    Keys({VK_CONTROL, 'Z'});
    EXPECT_EQ(Text1(), u"a  \r\n\r\nb");
}

TEST(Window, Text1IsNamedForScreenReaders) {
    IAccessible* accessible = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(
        Form().Text1(), OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&accessible));
    BSTR name = nullptr;
    if (SUCCEEDED(found)) {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        accessible->get_accName(self, &name);
        accessible->Release();
    }
    if (!name && UnderWine())
        GTEST_SKIP() << "Wine's accessibility layer gives edit controls no name and applies no "
                        "annotations (AccessibleObjectFromWindow: 0x"
                     << std::hex << found << "); this runs on Windows";
    ASSERT_HRESULT_SUCCEEDED(found);
    EXPECT_STREQ(name, L"请将需要处理的文本复制到下面的输入框里");
    SysFreeString(name);
}

TEST(Keyboard, TabFollowsTheTabOrder) {
    const Form1& f = Form();
    SetFocus(f.Text1());
    const std::pair<bool, HWND> steps[] = {{false, f.Command1()}, {false, f.Command2()},
                                           {false, f.Text1()},    {true, f.Command2()},
                                           {true, f.Command1()},  {true, f.Text1()}};
    for (const auto& step : steps) {
        step.first ? Keys({VK_SHIFT, VK_TAB}) : Keys({VK_TAB});
        EXPECT_EQ(GetFocus(), step.second) << "step " << (&step - steps);
    }
}

// Switching to another program and back leaves the focus where it was, so typing goes on there.
TEST(Keyboard, TheFocusComesBackAfterAnotherWindowWasActive) {
    const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                       100, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    for (HWND control : {Form().Text1(), Form().Command2()}) {
        SetFocus(control);
        for (HWND window : {other, Form().Hwnd()}) {
            SetForegroundWindow(window);
            Pump();
            ASSERT_EQ(GetForegroundWindow(), window);
        }
        EXPECT_EQ(GetFocus(), control) << (control == Form().Text1() ? "Text1" : "Command2");
    }
    DestroyWindow(other);
}

TEST(Keyboard, EnterAndEscPressNoButtonAndCloseNothing) {
    const struct {
        HWND focus;
        WORD key;
        std::u16string expected;
    } cases[] = {
        {Form().Text1(), VK_RETURN, u"a  \r\n\r\nb\r\n"},
        {Form().Text1(), VK_ESCAPE, u"a  \r\n\r\nb"},
        {Form().Command1(), VK_ESCAPE, u"a  \r\n\r\nb"},
        {Form().Command1(), VK_RETURN, u"a\n\r\nb"},  // a focused button takes Enter as a press
    };
    for (const auto& c : cases) {
        SetText1(u"a  \r\n\r\nb");
        Select(8, 8);
        SetFocus(c.focus);
        Keys({c.key});
        ASSERT_TRUE(IsWindowVisible(Form().Hwnd()));
        EXPECT_EQ(Text1(), c.expected) << "case " << (&c - cases);
    }
}

TEST(Keyboard, CtrlAAloneSelectsTheWholeText) {
    std::u16string text;
    while (text.size() < 12000) text += text.size() % 50 == 48 ? u"\r\n" : u"文";
    SetText1(text);
    SetFocus(Form().Text1());
    Select(1, 1);
    Form().Text1_KeyDown('A', 2);
    EXPECT_EQ(Selection(), std::make_pair(0ul, 12000ul));
    Select(1, 1);
    g_charsToText1.clear();
    SetWindowSubclass(Form().Text1(), RecordChars, 1, 0);
    Keys({VK_CONTROL, 'A'});
    EXPECT_EQ(Selection(), std::make_pair(0ul, 12000ul)) << "real keys";
    // Older edits beep at the key's character, newer ones select all again.
    EXPECT_EQ(g_charsToText1, u"");

    SetText1(u"abcdef");
    Select(2, 2);
    for (auto [key, shift] : {std::pair{'A', 3}, {'A', 6}, {'A', 0}, {'B', 2}})
        Form().Text1_KeyDown(key, shift);
    Keys({VK_CONTROL, VK_MENU, 'A'});
    EXPECT_EQ(Selection(), std::make_pair(2ul, 2ul));
    Keys({'A'});
    RemoveWindowSubclass(Form().Text1(), RecordChars, 1);
    EXPECT_EQ(Text1(), u"abacdef");
    EXPECT_EQ(g_charsToText1, u"a");
}

TEST(Label2, ColourAndCursorFollowTheMouse) {
    const Form1& f = Form();
    const HWND form = f.Hwnd();
    const POINT bare{600, 20}, label1 = Centre(f.Label1().bounds),
                               label2 = Centre(f.Label2().bounds);
    const struct {
        HWND window;
        POINT point;
        COLORREF color;
    } steps[] = {
        {form, bare, 0x000000},
        {form, label2, 0xFF0000},
        {form, label1, 0xFF0000},
        {form, bare, 0x000000},
        {form, label1, 0x000000},
        {form, label2, 0xFF0000},
        {f.Text1(), {100, 100}, 0xFF0000},
        {f.Command1(), {10, 10}, 0xFF0000},
        {form, bare, 0x000000},
    };
    for (const auto& step : steps) {
        MouseTo(step.window, step.point);
        EXPECT_EQ(f.Label2().foreColor, step.color) << "step " << (&step - steps);
        const bool overLabel2 = step.window == form && step.point.x == label2.x;
        EXPECT_EQ(GetCursor() == LoadCursorW(nullptr, IDC_HAND), overLabel2)
            << "step " << (&step - steps);
    }
}

TEST(Label2, EachClickOpensTheSiteOnceAndLabel1DoesNothing) {
    g_shellCalls.clear();
    for (const Label* label : {&Form().Label2(), &Form().Label2(), &Form().Label1()})
        MouseTo(Form().Hwnd(), Centre(label->bounds), MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
    // The address the build was configured with.
    const ShellCall call{Form().Hwnd(), "open", APP_SITE_URL, "", "", 5};
    EXPECT_EQ(g_shellCalls, std::vector(2, call));
}
