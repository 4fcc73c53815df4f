#pragma once

#include <windows.h>

// The user32 calls newer than Windows 7, looked up at run time so the program still starts
// there; each is null where the system lacks it, and the functions below fall back to the
// system DPI (Windows 7 and 8).
struct NewerUser32 {
    UINT(WINAPI* getDpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    BOOL(WINAPI* systemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;
};
NewerUser32 NewerUser32OfThisSystem();

// The DPI the window is drawn at.
UINT DpiOfWindow(const NewerUser32& user32, HWND hwnd);

// What the frame of a window of that style adds to its client area at dpi.
SIZE FrameAt(const NewerUser32& user32, DWORD style, UINT dpi);

// The system's message font (buttons, labels) at dpi.
LOGFONTW MessageFontAt(const NewerUser32& user32, UINT dpi);
