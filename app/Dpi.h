#pragma once

#include <windows.h>

// Twips (1440 to the inch) to pixels at dpi.
inline int TwipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

// A user32 call newer than Windows 7, looked up at run time so the program still starts there;
// nullptr where it is missing.
FARPROC NewerUser32Call(const char* name);

// Each of these uses the Windows 10 per-monitor call where it exists and falls
// back to the system DPI on Windows 7 and 8.

// The DPI the window is drawn at.
UINT DpiOfWindow(HWND hwnd);

// Grows a client rectangle to the window rectangle for style at dpi.
void AdjustWindowRectToDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// The system's message font (buttons, labels) at dpi.
LOGFONTW MessageFontAt(UINT dpi);
