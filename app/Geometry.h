#pragma once

// Where the window and its controls go at a DPI on a monitor: plain values in, plain values out,
// no windows.h, so the rules are tested natively.

#include <array>
#include <cstddef>

struct Size {
    int cx, cy;
    bool operator==(const Size&) const = default;
};

// Edges as Windows keeps them: right and bottom are one past the last pixel.
struct Rect {
    int left, top, right, bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

// The controls in creation order, which is the tab order with the labels last.
enum ControlIndex : size_t { kText1Index, kCommand1Index, kCommand2Index, kLabel1Index, kLabel2Index };
inline constexpr size_t kControlCount = 5;
using ControlRects = std::array<Rect, kControlCount>;

// The design in twips (1440 to the inch): left, top, right, bottom of each control, and the
// client area.
inline constexpr ControlRects kDesignTwips = {{
    {360, 600, 360 + 12615, 600 + 7095},     // Text1
    {4680, 8160, 4680 + 1815, 8160 + 495},   // Command1
    {7080, 8160, 7080 + 1695, 8160 + 495},   // Command2
    {360, 240, 360 + 4215, 240 + 375},       // Label1
    {12000, 240, 12000 + 1335, 240 + 255},   // Label2
}};
inline constexpr Size kClientTwips = {13335, 9015};

// Rounded to the nearest pixel, as MulDiv rounds.
int TwipsToPixels(int twips, int dpi);

// The window's rectangle on the screen and the client size it holds.
struct Placement {
    Rect window;
    Size client;
};

// The design's client area at dpi, or as much of it as the work area holds with a frame of that
// size around it (Text1 gives up at most all of itself), the window's corner kept at `corner`
// as far as the work area allows.
Placement PlaceWindow(int dpi, Size frame, const Rect& work, int cornerX, int cornerY);

// The controls at dpi in a client area of that size. What it lacks of the design comes out of
// Text1; the controls below Text1 move up by as much and stay centred under it, and those at
// the design's right edge (Label2) keep to the right edge.
ControlRects LayoutControls(int dpi, Size client);
