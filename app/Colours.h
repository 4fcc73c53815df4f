#pragma once

// Which colours the labels and Text1 take under a colour scheme: plain values in, plain values
// out, no windows.h, so the rules are tested natively.

#include <cstdint>
#include <initializer_list>

// 0x00BBGGRR, as a COLORREF.
using Colour = uint32_t;
inline constexpr Colour kBlack = 0x000000, kBlue = 0xFF0000, kWhite = 0xFFFFFF;

// WCAG 2's measure: 1 (the same colour) to 21 (black on white); text reads from 4.5 on.
inline constexpr double kReadableContrast = 4.5;
double ContrastRatio(Colour a, Colour b);

// The first of choices that reads on background; where none does, black or white, one of
// which always does.
Colour ReadableOn(Colour background, std::initializer_list<Colour> choices);

// What the system says of its colours (GetSysColor, and whether a contrast theme is on).
struct Scheme {
    Colour face, text;            // COLOR_BTNFACE, COLOR_BTNTEXT: behind and of the labels
    Colour window, windowText;    // COLOR_WINDOW, COLOR_WINDOWTEXT: an edit's
    Colour hotLight;              // COLOR_HOTLIGHT: a link under the mouse
    bool highContrast;
};

struct LabelLook {
    Colour colour;
    bool underlined;
};

// A label drawn on the face. Its own colour (Label2's ForeColor) where it reads; else the
// system's text colour, or for Label2 in blue, the link colour, underlined where even that
// does not stand out from the text.
LabelLook LabelLookUnder(const Scheme& scheme, Colour foreColor, bool isLink);

struct EditLook {
    Colour text, background;
};

// Text1 is white by design; a contrast theme asks for its own colours, and where the system's
// text would not read on white (a dark scheme), white would hide it.
EditLook Text1LookUnder(const Scheme& scheme);
