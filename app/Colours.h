#pragma once

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>

// WCAG 2's measure: 1 (the same colour) to 21 (black on white); text reads from 4.5 on.
inline constexpr double kReadableContrast = 4.5;

inline double ContrastRatio(COLORREF a, COLORREF b) {
    const auto luminance = [](COLORREF color) {
        const auto linear = [](BYTE channel) {
            const double c = channel / 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(GetRValue(color)) + 0.7152 * linear(GetGValue(color)) +
               0.0722 * linear(GetBValue(color));
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The first of choices that reads on background; where none does, black or white, one of
// which always does.
inline COLORREF ReadableOn(COLORREF background, std::initializer_list<COLORREF> choices) {
    for (COLORREF color : choices)
        if (ContrastRatio(color, background) >= kReadableContrast) return color;
    return ContrastRatio(0x000000, background) >= ContrastRatio(0xFFFFFF, background) ? 0x000000
                                                                                      : 0xFFFFFF;
}
