#pragma once

// Drives the one Form1 of a test or benchmark program with real messages and real input.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Form1.h"

// Creates the window, shown and in the foreground; the driver's functions act on it.
bool StartForm(Form1& form);
Form1& Form();
// False where Windows keeps the foreground with another program.
bool BringToFront(HWND hwnd);
// Delivers everything queued, through the same dialog-style handling as the program's loop.
void Pump();

struct Button {
    const char* name;
    HWND (Form1::*hwnd)() const;
    std::u16string (*engine)(std::u16string_view);
    bool caretAtEnd;
    HWND Hwnd() const { return (Form().*hwnd)(); }
};
extern const Button kButtons[2];  // 去空行, 加空行

std::u16string Text1();
void SetText1(std::u16string_view text);  // WM_SETTEXT: the edit's length limit does not cut it
std::pair<DWORD, DWORD> Selection();
inline void Select(DWORD start, DWORD end) {
    SendMessageW(Form().Text1(), EM_SETSEL, start, end);
}
// The press runs before this returns.
inline void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

// Real input (SendInput), with the window brought to the foreground first.
void Keys(const std::vector<WORD>& chord);  // down in order, up in reverse order
void MouseTo(HWND window, POINT client, DWORD buttons = 0);
