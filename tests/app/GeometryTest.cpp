#include "Geometry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

int Overlap(const Rect& a, const Rect& b) {
    return std::max(0, std::min(std::min(a.right, b.right) - std::max(a.left, b.left),
                                std::min(a.bottom, b.bottom) - std::max(a.top, b.top)));
}

}  // namespace

// At 96 DPI, frame 6x29: the design to the pixel at the corner asked for, as far as the work area
// allows; where it does not fit, Text1 gives up what is missing, down to nothing.
TEST(Geometry, At96DpiTheDesignOrWhatTheWorkAreaHolds) {
    const struct {
        Rect work;
        int x, y;
        Rect window;
        Rect text1;
    } rows[] = {
        {{0, 0, 1920, 1040}, 100, 50, {100, 50, 995, 680}, {24, 40, 865, 513}},
        // A monitor left of the primary one, asked for off its left and top.
        {{-1920, 0, 0, 1040}, -2500, -300, {-1920, 0, -1025, 630}, {24, 40, 865, 513}},
        // A netbook's 1024x600 less its taskbar; a work area too small for any of Text1.
        {{0, 0, 1024, 560}, 500, 500, {129, 0, 1024, 560}, {24, 40, 865, 443}},
        {{0, 0, 40, 100}, 500, 500, {0, 0, 54, 157}, {24, 40, 24, 40}},
    };
    for (const auto& row : rows) {
        const Placement p = PlaceWindow(96, {6, 29}, row.work, row.x, row.y);
        EXPECT_EQ(p.window, row.window) << row.x << "," << row.y;
        EXPECT_EQ(LayoutControls(96, p.client)[kText1Index], row.text1) << row.x << "," << row.y;
    }
    const ControlRects design = {{{24, 40, 865, 513},
                                  {312, 544, 433, 577},
                                  {472, 544, 585, 577},
                                  {24, 16, 305, 41},
                                  {800, 16, 889, 33}}};
    EXPECT_EQ(LayoutControls(96, {889, 601}), design);
}

// Every scale from 100 % to 300 % that Windows offers on screens from 800x600 to 3840x2160 (it
// keeps at least 1024x576 of room above 100 %), with the taskbar at each edge. Label1 keeps the
// design's pixel inside Text1.
TEST(Geometry, EveryScaleAndScreenKeepsTheRules) {
    const Size screens[] = {{800, 600},  {1024, 768},  {1280, 720},  {1366, 768},
                            {1600, 900}, {1920, 1080}, {2560, 1440}, {3840, 2160}};
    const Rect taskbars[] = {{0, 0, 0, 0}, {0, 0, 0, 48}, {0, 40, 0, 0}, {62, 0, 0, 0}, {0, 0, 62, 0}};
    int shrunk = 0, fitted = 0;
    for (int dpi : {96, 120, 144, 168, 192, 240, 288})
        for (const Size screen : screens)
            for (const Rect& bar : taskbars) {
                if (dpi > 96 && (screen.cx * 96 / dpi < 1024 || screen.cy * 96 / dpi < 576))
                    continue;
                const Rect work{bar.left * dpi / 96, bar.top * dpi / 96,
                                screen.cx - bar.right * dpi / 96,
                                screen.cy - bar.bottom * dpi / 96};
                SCOPED_TRACE(testing::Message() << dpi << " DPI, " << screen.cx << "x"
                                                << screen.cy << ", taskbar " << &bar - taskbars);
                const Size frame{TwipsToPixels(90, dpi), TwipsToPixels(435, dpi)};
                const Size full{TwipsToPixels(kClientTwips.cx, dpi),
                                TwipsToPixels(kClientTwips.cy, dpi)};
                // Asked for at the work area's far corner: it must come back inside.
                const Placement p = PlaceWindow(dpi, frame, work, work.right, work.bottom);
                const ControlRects c = LayoutControls(dpi, p.client);
                const ControlRects d = LayoutControls(dpi, full);
                const Size lost{full.cx - p.client.cx, full.cy - p.client.cy};
                EXPECT_TRUE(Inside(p.window, work));
                EXPECT_TRUE(lost.cx == 0 || p.window.Width() == work.Width());
                EXPECT_TRUE(lost.cy == 0 || p.window.Height() == work.Height());
                const Rect text1{d[0].left, d[0].top, d[0].right - lost.cx, d[0].bottom - lost.cy};
                EXPECT_EQ(c[kText1Index], text1);
                for (size_t i = 0; i < kControlCount; ++i) {
                    EXPECT_TRUE(Inside(c[i], {0, 0, p.client.cx, p.client.cy})) << i;
                    EXPECT_TRUE(i == kText1Index || (c[i].Width() == d[i].Width() &&
                                                     c[i].Height() == d[i].Height())) << i;
                    for (size_t j = 0; j < i; ++j)
                        EXPECT_LE(Overlap(c[i], c[j]), j == kText1Index ? dpi / 96 + 1 : 0)
                            << i << " and " << j;
                }
                EXPECT_NEAR(c[kCommand1Index].left + c[kCommand2Index].right - text1.right,
                            d[kCommand1Index].left + d[kCommand2Index].right - d[0].right,
                            1) << "buttons centred under Text1";
                ++(lost.cx || lost.cy ? shrunk : fitted);
            }
    EXPECT_GT(shrunk, 20);  // both kinds of row ran
    EXPECT_GT(fitted, 20);
}
