#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppTest.h"
#include "WindowDriver.h"

namespace {

std::u16string ClipboardText() {
    OpenClipboard(Form().Hwnd());
    const HANDLE memory = GetClipboardData(CF_UNICODETEXT);
    std::u16string text = memory ? static_cast<const char16_t*>(GlobalLock(memory)) : u"(none)";
    if (memory) GlobalUnlock(memory);
    CloseClipboard();
    return text;
}

void SetClipboardText(const std::u16string& text) {
    ASSERT_TRUE(OpenClipboard(Form().Hwnd()));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    std::char_traits<char16_t>::copy(static_cast<char16_t*>(GlobalLock(memory)), text.c_str(),
                                     text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

// Stands in for an edit control out of memory: it takes no text but the empty one.
LRESULT CALLBACK RefuseText(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
    if (message == EM_REPLACESEL && *reinterpret_cast<const wchar_t*>(lParam)) return 0;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

// A press by mouse or by Tab and Space or Enter from the box; the caret after it; the focus back
// in the box: Ctrl+A, Ctrl+C copy the result, one Ctrl+Z brings the text back, also where the
// edit could join the press to a deletion just made at the same place.
TEST(Buttons, EachClickTransformsPlacesTheCaretAndUndoesInOneStep) {
    const std::u16string before = u"a  \r\n\r\n\r\nb";
    const struct {
        const Button& button;
        std::vector<WORD> keys;  // from Text1; none: a mouse click
        bool deleteFirst;
        std::u16string expected;
        DWORD caret;
    } cases[] = {
        {kButtons[0], {}, false, u"a\n\n\r\nb", 0},
        {kButtons[0], {VK_TAB, VK_SPACE}, true, u"a\n\n\r\nb", 0},
        {kButtons[1], {}, true, u"a  \r\n\r\n\r\n\r\nb", 12},
        {kButtons[1], {VK_TAB, VK_TAB, VK_SPACE}, false, u"a  \r\n\r\n\r\n\r\nb", 12},
        {kButtons[1], {VK_TAB, VK_TAB, VK_RETURN}, false, u"a  \r\n\r\n\r\n\r\nb", 12},
    };
    for (const auto& c : cases) {
        const std::string name = c.button.name + (" case " + std::to_string(&c - cases));
        SetText1(c.deleteFirst ? u"x" + before : before);
        SetFocus(Form().Text1());
        Select(0, 0);
        if (c.deleteFirst) Keys({VK_DELETE});
        ASSERT_EQ(Text1(), before);
        SetClipboardText(u"");
        if (c.keys.empty())
            MouseTo(c.button.Hwnd(), {20, 10}, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
        for (WORD key : c.keys) Keys({key});
        EXPECT_EQ(Text1(), c.expected) << name;
        EXPECT_EQ(Selection(), std::make_pair(c.caret, c.caret)) << name;
        Keys({VK_CONTROL, 'A'});
        Keys({VK_CONTROL, 'C'});
        EXPECT_EQ(ClipboardText(), c.expected) << name << ", Ctrl+A, Ctrl+C";
        Keys({VK_CONTROL, 'Z'});
        EXPECT_EQ(Text1(), before) << name << ", Ctrl+Z";
    }
}

// Past the edit's default limit of about 30,000 characters.
TEST(Buttons, APastedLongTextGoesThroughBothButtonsAndBack) {
    std::u16string text;
    for (int line = 0; text.size() < 200000; ++line)
        text += line % 5 == 0 ? u"\r\n" : line % 7 == 0 ? u"   \r\n" : u"一行文字 and words  \r\n";
    SetClipboardText(text);
    SetText1(u"");
    SendMessageW(Form().Text1(), WM_PASTE, 0, 0);
    ASSERT_TRUE(Text1() == text) << "pasted " << Text1().size() << " of " << text.size();
    for (const Button& button : kButtons) {
        Click(button.Hwnd());
        const std::u16string expected = button.engine(text);
        EXPECT_TRUE(Text1() == expected) << button.name;
        const auto caret = static_cast<DWORD>(button.caretAtEnd ? expected.size() : 0);
        EXPECT_EQ(Selection(), std::make_pair(caret, caret)) << button.name;
        Keys({VK_CONTROL, 'Z'});
        EXPECT_TRUE(Text1() == text) << button.name << ", Ctrl+Z";
    }
}

TEST(Buttons, AFailedPressKeepsTheTextAndTheWindowWorking) {
    const std::u16string text = u"a  \r\n\r\n\r\nb";
    for (const Button& button : kButtons) {
        for (bool editRefuses : {false, true}) {
            SetText1(text);
            Select(2, 4);
            g_failTransforms = !editRefuses;
            if (editRefuses) SetWindowSubclass(Form().Text1(), RefuseText, 1, 0);
            Click(button.Hwnd());
            RemoveWindowSubclass(Form().Text1(), RefuseText, 1);
            g_failTransforms = false;
            EXPECT_EQ(Text1(), text) << button.name << editRefuses;
            // 加空行 goes on to its last step, the caret to the end; 去空行 stops at the
            // failure, or moves the caret to the start after the store.
            const auto selection = button.caretAtEnd ? std::make_pair(10ul, 10ul)
                                   : editRefuses     ? std::make_pair(0ul, 0ul)
                                                     : std::make_pair(2ul, 4ul);
            EXPECT_EQ(Selection(), selection) << button.name << editRefuses;
            Click(button.Hwnd());
            EXPECT_EQ(Text1(), button.engine(text)) << button.name << " afterwards";
        }
    }
}
