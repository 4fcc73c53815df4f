#pragma once

#include <windows.h>

// Gives the control the name a screen reader announces for it; nullptr takes the name away
// again (before the window is destroyed). Where the accessibility layer is missing this does
// nothing: the control is then announced as before.
void SetAccessibleName(HWND control, const wchar_t* name);
