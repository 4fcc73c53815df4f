#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <new>
#include <random>
#include <string>

#include "../support/RealisticText.h"
#include "AppTest.h"
#include "text/BlankLines.h"

namespace {

struct Button {
    const char* name;
    HWND (Form1::*hwnd)() const;
    std::u16string (*engine)(std::u16string_view);
    bool caretAtEnd;
    HWND Hwnd() const { return (Form().*hwnd)(); }
};
const Button kCommand1{"去空行", &Form1::Command1, RemoveBlankLines, false};
const Button kCommand2{"加空行", &Form1::Command2, AddBlankLines, true};

// Presses the button on text: Text1 then holds the engine's result, the caret where it belongs.
void ExpectPressMatchesEngine(const Button& button, const std::u16string& text) {
    SetText(text);
    Click(button.Hwnd());
    const std::u16string expected = button.engine(text);
    const auto caret = static_cast<DWORD>(button.caretAtEnd ? expected.size() : 0);
    ASSERT_TRUE(TextOf(Form().Text1()) == expected)
        << button.name << " on " << text.size() << " units";
    EXPECT_EQ(Selection(), std::make_pair(caret, caret)) << button.name;
}

std::u16string LargeText(size_t units) {
    return RealisticTextMaker(7).Lines(units);
}

}  // namespace

TEST(Buttons, Cases) {
    const struct {
        const Button& button;
        std::u16string text, expected;
    } cases[] = {
        {kCommand1, u"", u""},
        {kCommand1, u"a   \r\nb", u"a\r\nb"},
        {kCommand1, u"a\r\n\r\n\r\nb", u"a\n\n\r\nb"},
        {kCommand1, u"a \r\n \r\n b", u"a\n\r\n b"},
        {kCommand1, u"x\r\r\n\r\ny", u"x\r\n\r\ny"},
        {kCommand2, u"", u""},
        {kCommand2, u"a\r\nb\r\nc", u"a\r\n\r\nb\r\n\r\nc"},
        {kCommand2, u"a\r\n\r\n\r\nb", u"a\r\n\r\n\r\n\r\nb"},
        {kCommand2, u"a\n\r\nb", u"a\n\r\n\r\nb"},
    };
    for (const auto& c : cases) {
        SetText(c.text);
        Click(c.button.Hwnd());
        EXPECT_EQ(TextOf(Form().Text1()), c.expected) << c.button.name << " case " << (&c - cases);
    }
    SetText(u"a\r\nb");
    MouseTo(Form().Command2(), {20, 10}, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(TextOf(Form().Text1()), u"a\r\n\r\nb") << "real click";
}

TEST(Buttons, MatchTheEngineOnRandomTexts) {
    std::mt19937 random(2024);
    static constexpr std::u16string_view alphabet = u"ab  \r\r\n\n\t中\u3000";
    for (int i = 0; i < 200; ++i) {
        std::u16string text(random() % 40, u' ');
        for (char16_t& c : text) c = alphabet[random() % alphabet.size()];
        ExpectPressMatchesEngine(i % 2 ? kCommand1 : kCommand2, text);
    }
}

TEST(Buttons, PastedTextArrivesWhole) {
    const std::u16string text = LargeText(200000);
    ASSERT_TRUE(OpenClipboard(Form().Hwnd()));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    std::char_traits<char16_t>::copy(static_cast<char16_t*>(GlobalLock(memory)), text.c_str(),
                                     text.size() + 1);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();

    SetText(u"");
    SendMessageW(Form().Text1(), WM_PASTE, 0, 0);
    EXPECT_TRUE(TextOf(Form().Text1()) == text);
}

TEST(Buttons, FiveMegabytesGoThroughBothButtonsWhole) {
    const std::u16string text = LargeText((5u << 20) / sizeof(char16_t));
    ExpectPressMatchesEngine(kCommand2, text);
    Click(Form().Command1());  // on 加空行's result
    EXPECT_TRUE(TextOf(Form().Text1()) == RemoveBlankLines(AddBlankLines(text)));
    EXPECT_EQ(Selection(), std::make_pair(0ul, 0ul));
}

TEST(Buttons, UndoBringsBackTheTextFromBeforeThePress) {
    for (const Button* button : {&kCommand1, &kCommand2}) {
        for (bool deleteFirst : {false, true}) {
            SetText(u"  x  \r\n\r\n\r\ny");
            SetFocus(Form().Text1());
            Select(0, 0);
            if (deleteFirst)  // the edit would join a deletion at the same place to the press
                Keys({VK_DELETE});
            const std::u16string before = TextOf(Form().Text1());
            Click(button->Hwnd());
            ASSERT_NE(TextOf(Form().Text1()), before);
            SetFocus(Form().Text1());
            Keys({VK_CONTROL, 'Z'});
            EXPECT_EQ(TextOf(Form().Text1()), before) << button->name << deleteFirst;
        }
    }
}

namespace {

int g_probeCalls = 0;
int g_failAtProbe = 0;

void FailingProbe() {
    if (++g_probeCalls == g_failAtProbe) throw std::bad_alloc();
}

// Stands in for an edit control out of memory: it takes no text but the empty one.
LRESULT CALLBACK RefuseText(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
    if (message == EM_REPLACESEL && *reinterpret_cast<const wchar_t*>(lParam)) return 0;
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

TEST(Buttons, FailuresKeepTheTextAndTheWindowWorking) {
    const std::u16string text = u"a  \r\n\r\n\r\nb";
    // 1: allocation fails reading the text, 2: building the result, 0: Text1 refuses the result.
    for (const Button* button : {&kCommand1, &kCommand2}) {
        for (int failAt : {1, 2, 0}) {
            SetText(text);
            Select(2, 4);
            g_probeCalls = 0;
            g_failAtProbe = failAt;
            Form().m_allocationProbe = FailingProbe;
            if (failAt == 0) SetWindowSubclass(Form().Text1(), RefuseText, 1, 0);
            Click(button->Hwnd());
            RemoveWindowSubclass(Form().Text1(), RefuseText, 1);
            Form().m_allocationProbe = nullptr;
            EXPECT_EQ(TextOf(Form().Text1()), text) << button->name << failAt;
            // 加空行 goes on to its last step: the caret to the end.
            const DWORD start = button->caretAtEnd ? 10 : failAt ? 2 : 0;
            const DWORD end = button->caretAtEnd ? 10 : failAt ? 4 : 0;
            EXPECT_EQ(Selection(), std::make_pair(start, end)) << button->name << failAt;
            ExpectPressMatchesEngine(*button, text);
        }
    }
}
