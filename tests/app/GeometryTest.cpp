#include "Geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

// What a caption and thin border add at 96 DPI, scaled as Windows scales them.
Size FrameAt(int dpi) {
    return {TwipsToPixels(90, dpi), TwipsToPixels(435, dpi)};
}

bool Inside(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

int Overlap(const Rect& a, const Rect& b) {
    const int x = std::min(a.right, b.right) - std::max(a.left, b.left);
    const int y = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return std::max(0, std::min(x, y));
}

std::string Name(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.Width()) +
           "x" + std::to_string(r.Height());
}

}  // namespace

// The design's own numbers, where the screen has room for it.
TEST(Geometry, At96DpiTheDesignToThePixel) {
    const Placement p = PlaceWindow(96, {6, 29}, {0, 0, 1920, 1040}, 100, 50);
    EXPECT_EQ(p.window, (Rect{100, 50, 100 + 895, 50 + 630}));
    EXPECT_EQ(p.client, (Size{889, 601}));
    const ControlRects expected = {{{24, 40, 865, 513},
                                    {312, 544, 433, 577},
                                    {472, 544, 585, 577},
                                    {24, 16, 305, 41},
                                    {800, 16, 889, 33}}};
    EXPECT_EQ(LayoutControls(96, p.client), expected);
}

// Every scale from 100 % to 300 % that Windows offers on screens from 800x600 to 3840x2160 (it
// keeps at least 1024x576 of room above 100 %), with the taskbar at each edge and on a second
// monitor left of and above the first: the window stays in the work area
// (but where even an empty Text1 would not fit), Text1 gives up exactly what the client area
// lacks of the design and no more, the other controls keep their size, the buttons stay centred
// under Text1 and Label2 at the right edge, nothing overlaps and all lies in the client area.
TEST(Geometry, EveryScaleAndScreenKeepsTheRules) {
    const Size screens[] = {{800, 600},   {1024, 768},  {1280, 720},  {1366, 768},
                            {1600, 900},  {1920, 1080}, {2560, 1440}, {3840, 2160}};
    const struct {
        const char* taskbar;
        int left, top, right, bottom;  // what the taskbar takes from each edge
    } edges[] = {{"none", 0, 0, 0, 0},
                 {"bottom", 0, 0, 0, 48},
                 {"top", 0, 40, 0, 0},
                 {"left", 62, 0, 0, 0},
                 {"right", 0, 0, 62, 0}};
    int shrunk = 0, fitted = 0;
    for (int dpi : {96, 120, 144, 168, 192, 240, 288})
        for (const Size screen : screens)
            for (const auto& edge : edges)
                for (const int origin : {0, -screen.cx}) {  // a second monitor at negative x and y
                    if (dpi > 96 && (screen.cx * 96 / dpi < 1024 || screen.cy * 96 / dpi < 576))
                        continue;
                    const int originY = origin ? -screen.cy : 0;
                    const Rect work{origin + edge.left * dpi / 96, originY + edge.top * dpi / 96,
                                    origin + screen.cx - edge.right * dpi / 96,
                                    originY + screen.cy - edge.bottom * dpi / 96};
                    SCOPED_TRACE(testing::Message() << dpi << " DPI, " << screen.cx << "x"
                                                    << screen.cy << ", taskbar " << edge.taskbar
                                                    << (origin ? ", second monitor" : ""));
                    const Size frame = FrameAt(dpi);
                    // Asked for at the work area's far corner: it must come back inside.
                    const Placement p = PlaceWindow(dpi, frame, work, work.right, work.bottom);
                    const ControlRects c = LayoutControls(dpi, p.client);
                    const ControlRects design = LayoutControls(
                        dpi, {TwipsToPixels(kClientTwips.cx, dpi), TwipsToPixels(kClientTwips.cy, dpi)});
                    const Size lost{TwipsToPixels(kClientTwips.cx, dpi) - p.client.cx,
                                    TwipsToPixels(kClientTwips.cy, dpi) - p.client.cy};
                    EXPECT_GE(lost.cx, 0);
                    EXPECT_GE(lost.cy, 0);
                    EXPECT_EQ(p.window.Width(), p.client.cx + frame.cx);
                    EXPECT_EQ(p.window.Height(), p.client.cy + frame.cy);
                    const bool textLeft = c[kText1Index].Width() > 0 && c[kText1Index].Height() > 0;
                    EXPECT_TRUE(!textLeft || Inside(p.window, work)) << Name(p.window);
                    // Short of the design only where the work area is full or Text1 gone.
                    EXPECT_TRUE(!lost.cx || p.window.Width() == work.Width() || !textLeft);
                    EXPECT_TRUE(!lost.cy || p.window.Height() == work.Height() || !textLeft);
                    EXPECT_EQ(c[kText1Index].Width(), design[kText1Index].Width() - lost.cx);
                    EXPECT_EQ(c[kText1Index].Height(), design[kText1Index].Height() - lost.cy);
                    EXPECT_EQ(c[kText1Index].left, design[kText1Index].left);
                    EXPECT_EQ(c[kText1Index].top, design[kText1Index].top);
                    const Rect client{0, 0, p.client.cx, p.client.cy};
                    for (size_t i = 0; i < kControlCount; ++i) {
                        SCOPED_TRACE(testing::Message() << "control " << i << " " << Name(c[i]));
                        EXPECT_TRUE(Inside(c[i], client));
                        if (i != kText1Index) {
                            EXPECT_EQ(c[i].Width(), design[i].Width());
                            EXPECT_EQ(c[i].Height(), design[i].Height());
                        }
                        // Label1's box reaches a design pixel into Text1's; nothing else meets.
                        for (size_t j = 0; j < i; ++j)
                            EXPECT_LE(Overlap(c[i], c[j]), j == kText1Index ? dpi / 96 + 1 : 0)
                                << "with " << j;
                    }
                    const Rect& t = c[kText1Index];
                    const int buttons = c[kCommand1Index].left + c[kCommand2Index].right;
                    const int designButtons = design[kCommand1Index].left + design[kCommand2Index].right;
                    EXPECT_NEAR(buttons - (t.left + t.right), designButtons -
                                (design[0].left + design[0].right), 1) << "centred under Text1";
                    EXPECT_EQ(c[kCommand1Index].top - t.bottom,
                              design[kCommand1Index].top - design[kText1Index].bottom);
                    EXPECT_EQ(c[kLabel2Index].right, p.client.cx) << "Label2 at the right edge";
                    (lost.cx || lost.cy ? shrunk : fitted) += 1;
                    EXPECT_TRUE(lost.cx || lost.cy || c == design);
                }
    // Both kinds of row ran.
    EXPECT_GT(shrunk, 40);
    EXPECT_GT(fitted, 40);
}

// Where the window goes: the corner asked for (the start's, or the one Windows suggests on a
// DPI change) where the window fits there, else moved just enough into the work area.
TEST(Geometry, TheCornerAskedForIsKeptWhereTheWindowFits) {
    const Rect work{-1920, 0, 0, 1040};  // a monitor left of the primary one
    const struct {
        int x, y;
        Rect expected;
    } rows[] = {
        {-1800, 100, {-1800, 100, -1800 + 895, 100 + 630}},
        {-200, 900, {-895, 1040 - 630, 0, 1040}},              // off the right and bottom
        {-2500, -300, {-1920, 0, -1920 + 895, 630}},           // off the left and top
        {-1920, 410, {-1920, 410, -1920 + 895, 1040}},         // exactly to the edge
    };
    for (const auto& row : rows) {
        const Placement p = PlaceWindow(96, {6, 29}, work, row.x, row.y);
        EXPECT_EQ(p.window, row.expected) << row.x << "," << row.y;
    }
}

// Smaller than the design at 96 DPI: a netbook's 1024x600 takes height from Text1; a work area
// too small even for an empty Text1 leaves the window at its corner with Text1 gone.
TEST(Geometry, SmallWorkAreasTakeFromText1Only) {
    const struct {
        Rect work;
        Size client, text1;
    } rows[] = {
        {{0, 0, 1024, 560}, {889, 531}, {841, 403}},
        {{0, 0, 700, 500}, {694, 471}, {646, 343}},
        {{0, 0, 40, 100}, {889 - 841, 601 - 473}, {0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(Name(row.work));
        const Placement p = PlaceWindow(96, {6, 29}, row.work, 500, 500);
        EXPECT_EQ(p.client, row.client);
        EXPECT_EQ(p.window.left, std::max(0, std::min(500, row.work.right - p.window.Width())));
        const Rect text1 = LayoutControls(96, p.client)[kText1Index];
        EXPECT_EQ((Size{text1.Width(), text1.Height()}), row.text1);
    }
}
