#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "Form1.h"
#include "ProcessFigures.h"

// The one window every case drives: closing a top-level window under Xvfb costs seconds.
Form1& Form();
PrivatePeak& Peak();

// Delivers everything queued, through the same dialog-style handling as the program's loop.
void Pump();

std::u16string TextOf(HWND control);
void SetText(std::u16string_view text);  // WM_SETTEXT, which no length limit cuts
void Press(HWND button);                 // BM_CLICK, then the repaint it leaves queued
void CtrlZ();                            // real keys, with the focus in Text1

double Seconds();  // a steady clock

// Figures go to stdout, after gtest's own lines, so `ctest -V` shows them.
void Report(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
