#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "Form1.h"

// The test program doubles as an http handler: `app_tests --record-url FILE URL` writes URL.
inline constexpr char kRecordUrl[] = "--record-url";

// The one window every test drives: under Xvfb each top-level window costs seconds to close.
Form1& Form();
HWND FocusAtStart();
// Delivers everything queued, through the same dialog-style handling as the program's loop.
void Pump();

std::u16string TextOf(HWND control);
void SetText(std::u16string_view text);  // WM_SETTEXT: the edit's length limit does not cut it
std::pair<DWORD, DWORD> Selection();
void Select(DWORD start, DWORD end);
void Click(HWND button);  // BM_CLICK

// Real input (SendInput) into the window, brought to the foreground first.
void Keys(std::initializer_list<WORD> chord);  // down in order, up in reverse order
void MouseTo(HWND window, POINT client, DWORD buttons = 0);
POINT Centre(const RECT& rect);
