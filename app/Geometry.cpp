#include "Geometry.h"

#include <algorithm>
#include <cstdint>

int TwipsToPixels(int twips, int dpi) {
    // MulDiv(twips, dpi, 1440): rounded half away from zero.
    const int64_t product = int64_t{twips} * dpi;
    return static_cast<int>((product + (product < 0 ? -720 : 720)) / 1440);
}

namespace {

Size DesignClient(int dpi) {
    return {TwipsToPixels(kClientTwips.cx, dpi), TwipsToPixels(kClientTwips.cy, dpi)};
}

Rect Scaled(const Rect& twips, int dpi) {
    const int left = TwipsToPixels(twips.left, dpi), top = TwipsToPixels(twips.top, dpi);
    return {left, top, left + TwipsToPixels(twips.Width(), dpi),
            top + TwipsToPixels(twips.Height(), dpi)};
}

}  // namespace

Placement PlaceWindow(int dpi, Size frame, const Rect& work, int cornerX, int cornerY) {
    const Size design = DesignClient(dpi);
    const Rect text1 = Scaled(kDesignTwips[kText1Index], dpi);
    const Size least{design.cx - text1.Width(), design.cy - text1.Height()};
    const Size client{std::max(least.cx, std::min(design.cx, work.Width() - frame.cx)),
                      std::max(least.cy, std::min(design.cy, work.Height() - frame.cy))};
    const int left = std::max(work.left, std::min(cornerX, work.right - client.cx - frame.cx));
    const int top = std::max(work.top, std::min(cornerY, work.bottom - client.cy - frame.cy));
    return {{left, top, left + client.cx + frame.cx, top + client.cy + frame.cy}, client};
}

ControlRects LayoutControls(int dpi, Size client) {
    const Size design = DesignClient(dpi);
    const Size lost{design.cx - client.cx, design.cy - client.cy};
    const Rect& text1 = kDesignTwips[kText1Index];
    ControlRects rects{};
    for (size_t i = 0; i < kControlCount; ++i) {
        const Rect& twips = kDesignTwips[i];
        Rect r = Scaled(twips, dpi);
        int dx = 0, dy = 0;
        if (i == kText1Index) {
            r.right -= lost.cx;
            r.bottom -= lost.cy;
        } else if (twips.top >= text1.bottom) {
            dx = -lost.cx / 2;
            dy = -lost.cy;
        }
        if (twips.right == kClientTwips.cx) dx -= lost.cx;
        rects[i] = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    }
    return rects;
}
