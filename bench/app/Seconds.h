#pragma once

#include <windows.h>

// Seconds on the performance counter, for the window benchmark's figures.
inline double Seconds() {
    static const double unit = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1.0 / static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * unit;
}
