#pragma once

#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

// The test program's Form1 calls these instead of the shell and the real transformations.
using ShellCall = std::tuple<HWND, std::string, std::string, std::string, std::string, INT>;
extern std::vector<ShellCall> g_shellCalls;
extern bool g_failTransforms;  // the transformations throw std::bad_alloc while set

extern HWND g_focusAtStart;
