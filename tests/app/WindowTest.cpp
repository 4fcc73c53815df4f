#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "Colours.h"
#include "Site.h"
#include "WindowDriver.h"

namespace {

// Form1's outside world in the tests: shell calls recorded, transformations that fail on demand,
// and in app_tests_win7 no user32 call newer than Windows 7.
struct Outside {
    using ShellCall = std::tuple<HWND, std::string, std::string, std::string, std::string, INT>;
    std::vector<ShellCall> shellCalls;
    bool failTransforms = false;

    Form1Calls Calls() {
        Form1Calls calls;
        calls.shellExecuteA = [this](HWND hwnd, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                     LPCSTR directory, INT show) {
            shellCalls.emplace_back(hwnd, operation, file, parameters, directory, show);
            return reinterpret_cast<HINSTANCE>(42);
        };
        for (auto [call, transform] : {std::pair{&calls.removeBlankLines, &RemoveBlankLines},
                                       {&calls.addBlankLines, &AddBlankLines}})
            *call = [this, transform = transform](std::u16string_view text) {
                if (failTransforms) throw std::bad_alloc();
                return transform(text);
            };
#ifdef APP_TESTS_WIN7
        calls.user32 = {};
#endif
        return calls;
    }
};
Outside g_outside;

std::u16string g_charsToText1;
HWND g_focusAtStart = nullptr;
UINT g_startDpi = 96;
LOGFONTW g_messageFont{};  // the system's, at the start

constexpr DWORD kClick = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP;

LOGFONTW FontOf(HWND control) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return font;
}

Rect ToRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

// A control's rectangle in the form's client area.
Rect Bounds(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, Form().Hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return ToRect(r);
}

// The window where PlaceWindow puts it, from corner (else from where it stands), the controls
// where LayoutControls lays them out (both tested natively); Text1 and the buttons' fonts scaled.
void ExpectLayout(UINT dpi, std::optional<POINT> corner = {}) {
    SCOPED_TRACE(testing::Message() << dpi << " DPI");
    const Form1& f = Form();
    RECT window, client;
    GetWindowRect(f.Hwnd(), &window);
    GetClientRect(f.Hwnd(), &client);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(f.Hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
    const Size frame{window.right - window.left - client.right,
                     window.bottom - window.top - client.bottom};
    const POINT from = corner.value_or(POINT{window.left, window.top});
    const Placement p =
        PlaceWindow(static_cast<int>(dpi), frame, ToRect(monitor.rcWork), from.x, from.y);
    EXPECT_EQ(ToRect(window), p.window);
    const ControlRects actual = {{Bounds(f.Text1()), Bounds(f.Command1()), Bounds(f.Command2()),
                                  ToRect(f.Label1().bounds), ToRect(f.Label2().bounds)}};
    EXPECT_EQ(actual, LayoutControls(static_cast<int>(dpi), p.client));

    EXPECT_EQ(FontOf(f.Text1()).lfHeight, -MulDiv(105, static_cast<int>(dpi), 720));
    // Also where the per-DPI call is missing (app_tests_win7).
    const LOGFONTW button = FontOf(f.Command1());
    EXPECT_STREQ(button.lfFaceName, g_messageFont.lfFaceName);
    EXPECT_NEAR(button.lfHeight, g_messageFont.lfHeight * static_cast<double>(dpi) / g_startDpi,
                dpi == g_startDpi ? 0 : 1);
}

// What Windows sends on a move to a monitor of another DPI, suggesting the work area's corner.
POINT MoveToDpi(UINT dpi) {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT suggested{work.right - 500, work.bottom - 400, work.right, work.bottom};
    SendMessageW(Form().Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    Pump();
    return {suggested.left, suggested.top};
}

// Sees the characters that reach Text1 ahead of the program's own subclass; changes nothing.
LRESULT CALLBACK Watch(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_CHAR) g_charsToText1 += static_cast<char16_t>(wParam);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

// Wine never sends WM_DPICHANGED; Windows does when the window moves between monitors.
TEST(Window, LaidOutAtTheStartAndAtEachNewDpiKeepingTheText) {
    wchar_t caption[64] = {};
    GetWindowTextW(Form().Hwnd(), caption, static_cast<int>(std::size(caption)));
    EXPECT_STREQ(caption, L" Tavrin文本去空行加空行");  // with its leading space
    EXPECT_EQ(g_focusAtStart, Form().Text1());
    ExpectLayout(g_startDpi);
    SetText1(u"a  \r\n\r\nb");
    Click(Form().Command1());
    for (UINT dpi : {g_startDpi == 144 ? 96u : 144u, 192u, g_startDpi}) {
        ExpectLayout(dpi, MoveToDpi(dpi));
        EXPECT_EQ(Text1(), u"a\n\r\nb") << dpi << " DPI";
    }
    Keys({VK_CONTROL, 'Z'});
    EXPECT_EQ(Text1(), u"a  \r\n\r\nb");
}

// Each key acts where the focus is, which another program's turn leaves there. Enter breaks the
// line, Esc closes nothing. Wine's and newer Windows' edits select all on Ctrl+A themselves: the
// program shows it acted by keeping the key's character from Text1; Ctrl+Shift/Alt+A is no Ctrl+A.
TEST(Keyboard, EachKeyActsWhereTheFocusIsAndTheFocusStaysThere) {
    const HWND other = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                       100, 300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    const HWND text1 = Form().Text1();
    const struct {
        HWND focus;
        std::vector<WORD> keys;
        std::u16string_view text;                            // after, from "ab", the caret at 1
        std::optional<std::pair<DWORD, DWORD>> selection;    // none: the edit's own business
        std::optional<std::u16string_view> charsToText1;
    } rows[] = {
        {text1, {VK_RETURN}, u"a\r\nb", std::pair(3ul, 3ul), {}},
        {Form().Command1(), {VK_ESCAPE}, u"ab", {}, {}},
        {text1, {VK_CONTROL, 'A'}, u"ab", std::pair(0ul, 2ul), u""},
        {text1, {VK_CONTROL, VK_SHIFT, 'A'}, u"ab", {}, u"\x01"},
        {text1, {VK_CONTROL, VK_MENU, 'A'}, u"ab", std::pair(1ul, 1ul), u""},
        {text1, {'A'}, u"aab", std::pair(2ul, 2ul), u"a"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "row " << &row - rows);
        SetText1(u"ab");
        Select(1, 1);
        SetFocus(row.focus);
        g_charsToText1.clear();
        Keys(row.keys);
        ASSERT_TRUE(IsWindowVisible(Form().Hwnd()));
        EXPECT_EQ(Text1(), row.text);
        if (row.selection) { EXPECT_EQ(Selection(), *row.selection); }
        if (row.charsToText1) { EXPECT_EQ(g_charsToText1, *row.charsToText1); }
        for (HWND window : {other, Form().Hwnd()}) {
            SetForegroundWindow(window);
            Pump();
            ASSERT_EQ(GetForegroundWindow(), window);
        }
        EXPECT_EQ(GetFocus(), row.focus);
    }
    DestroyWindow(other);
}

// Clicks on Label2 open the site, each once; one on Label1 does nothing. Under the standard
// scheme and a dark one set meanwhile, the labels are drawn in the colours LabelLookUnder picks
// and Text1 on the background Text1LookUnder picks.
TEST(Label2, ColourAndCursorFollowTheMouseAndEachClickOpensTheSite) {
    // In the order of Scheme's members.
    static constexpr int kElements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_WINDOW,
                                        COLOR_WINDOWTEXT, COLOR_HOTLIGHT};
    static constexpr COLORREF kDark[] = {0, 0xFFFFFF, 0, 0xFFFFFF, 0x00FFFF};
    COLORREF standard[std::size(kElements)];
    std::transform(std::begin(kElements), std::end(kElements), standard, GetSysColor);
    const Form1& f = Form();
    const HWND form = f.Hwnd();
    const RECT &l1 = f.Label1().bounds, &l2 = f.Label2().bounds;  // Label1's lower edge is in Text1
    const POINT bare{600, 20}, label1{l1.left + 5, l1.top + 5}, label2{l2.left + 5, l2.top + 5};
    const std::tuple<HWND, POINT, DWORD, COLORREF> steps[] = {
        {form, bare, 0, 0x000000},
        {form, label2, kClick, 0xFF0000},
        {form, label1, kClick, 0xFF0000},
        {form, bare, 0, 0x000000},
        {form, label2, kClick, 0xFF0000},
        {f.Text1(), {100, 100}, 0, 0xFF0000},  // the form sees no move over a control
    };
    // Whether any pixel of rect (in window's client area) is of that colour.
    const auto drawnIn = [](HWND window, const RECT& rect, COLORREF colour) {
        const HDC dc = GetDC(window);
        bool found = false;
        for (LONG y = rect.top; y < rect.bottom && !found; ++y)
            for (LONG x = rect.left; x < rect.right && !found; ++x)
                found = GetPixel(dc, x, y) == colour;
        ReleaseDC(window, dc);
        return found;
    };
    SetText1(u"文字 text");
    SetFocus(f.Command1());  // no caret over the text
    g_outside.shellCalls.clear();
    for (bool dark : {false, true}) {
        const COLORREF* c = dark ? kDark : standard;
        SetSysColors(std::size(kElements), kElements, c);
        Pump();
        const Scheme scheme{c[0], c[1], c[2], c[3], c[4], false};
        for (const auto& step : steps) {
            SCOPED_TRACE(testing::Message() << (dark ? "dark, " : "") << "step " << &step - steps);
            const auto& [window, point, buttons, colour] = step;
            MouseTo(window, point, buttons);
            EXPECT_EQ(f.Label2().foreColor, colour);
            const bool overLabel2 = window == form && point.x == label2.x;
            EXPECT_EQ(GetCursor() == LoadCursorW(nullptr, IDC_HAND), overLabel2);
            EXPECT_TRUE(drawnIn(form, l2, LabelLookUnder(scheme, colour, true).colour));
            EXPECT_TRUE(drawnIn(form, {l1.left, l1.top, l1.right, (l1.top + l1.bottom) / 2},
                                LabelLookUnder(scheme, scheme.text, false).colour));
            EXPECT_TRUE(drawnIn(f.Text1(), {119, 0, 120, 1}, Text1LookUnder(scheme).background));
        }
    }
    // Drawn again on a theme change, also where the system repaints nothing.
    for (UINT message : {WM_SYSCOLORCHANGE, WM_SETTINGCHANGE}) {
        RedrawWindow(form, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
        SendMessageW(form, message, SPI_SETHIGHCONTRAST, 0);
        EXPECT_TRUE(GetUpdateRect(form, nullptr, 0) && GetUpdateRect(f.Text1(), nullptr, 0));
    }
    SetSysColors(std::size(kElements), kElements, standard);
    // The address the build was configured with.
    EXPECT_EQ(g_outside.shellCalls,
              std::vector(4, Outside::ShellCall{form, "open", APP_SITE_URL, "", "", 5}));
}

// A press by mouse, or by Tab and Space or Enter from the box, leaves the focus in the box, where
// one Ctrl+Z undoes it, even right after a deletion at the same place or a press that failed.
// The long text is past the edit's default limit of about 30,000 characters.
TEST(Buttons, EachClickTransformsPlacesTheCaretAndUndoesInOneStep) {
    enum Failure { kNoFailure, kEditRefuses, kTransformFails };
    const std::u16string small = u"a  \r\n\r\n\r\nb";
    std::u16string large;
    for (int line = 0; large.size() < 200000; ++line)
        large += line % 5 == 0 ? u"\r\n" : line % 7 == 0 ? u"   \r\n" : u"一行文字 and words  \r\n";
    const struct {
        const Button& button;
        std::vector<WORD> keys;  // from Text1; none: a mouse click
        bool deleteFirst;
        const std::u16string& before;
        Failure failFirst;  // of a press before, which must keep the text
    } cases[] = {
        {kButtons[0], {}, false, small, kNoFailure},
        {kButtons[0], {VK_TAB, VK_SPACE}, true, small, kTransformFails},
        {kButtons[1], {}, true, small, kTransformFails},
        {kButtons[1], {VK_TAB, VK_TAB, VK_SPACE}, false, small, kEditRefuses},
        {kButtons[1], {VK_TAB, VK_TAB, VK_RETURN}, false, small, kNoFailure},
        {kButtons[1], {}, false, large, kNoFailure},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button.name + (" case " + std::to_string(&c - cases)));
        SetText1(c.deleteFirst ? u"x" + c.before : c.before);
        SetFocus(Form().Text1());
        Select(0, 0);
        if (c.deleteFirst) Keys({VK_DELETE});
        ASSERT_TRUE(Text1() == c.before);
        if (c.failFirst) {
            Select(2, 4);
            // The edit takes no more than its limit, as it takes no more than memory holds: the
            // old text fits, 加空行's longer result does not (去空行's is never longer).
            if (c.failFirst == kEditRefuses)
                SendMessageW(Form().Text1(), EM_SETLIMITTEXT, c.before.size(), 0);
            g_outside.failTransforms = c.failFirst == kTransformFails;
            Click(c.button.Hwnd());
            g_outside.failTransforms = false;
            SendMessageW(Form().Text1(), EM_SETLIMITTEXT, 0, 0);
            EXPECT_TRUE(Text1() == c.before) << "failed press: " << testing::PrintToString(Text1());
            // 加空行 goes on to its last step, the caret to the end; 去空行 stops at the failure.
            const auto end = static_cast<DWORD>(c.before.size());
            EXPECT_EQ(Selection(), c.button.caretAtEnd ? std::pair(end, end) : std::pair(2ul, 4ul));
        }
        if (c.keys.empty()) MouseTo(c.button.Hwnd(), {20, 10}, kClick);
        for (WORD key : c.keys) Keys({key});
        const std::u16string expected = c.button.engine(c.before);
        EXPECT_TRUE(Text1() == expected) << Text1().size() << " characters";
        const auto caret = static_cast<DWORD>(c.button.caretAtEnd ? expected.size() : 0);
        EXPECT_EQ(Selection(), std::make_pair(caret, caret));
        Keys({VK_CONTROL, 'Z'});
        EXPECT_TRUE(Text1() == c.before) << "Ctrl+Z";
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const Form1Calls calls = g_outside.Calls();
    Form1 form(calls);
    if (!StartForm(form)) return 2;
    g_focusAtStart = GetFocus();
    g_startDpi = DpiOfWindow(calls.user32, form.Hwnd());
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    g_messageFont = metrics.lfMessageFont;
    SetWindowSubclass(form.Text1(), Watch, 1, 0);
    return RUN_ALL_TESTS();
}
