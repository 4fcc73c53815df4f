#include "Colours.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// 0x00BBGGRR from the #RRGGBB a theme file or a colour picker shows.
constexpr Colour Rgb(uint32_t rgb) {
    return (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
}

}  // namespace

// WCAG 2's figures; and where no colour offered reads, black or white, whichever reads better.
TEST(Colours, ContrastAndTheFallback) {
    for (auto [a, b, ratio] : {std::tuple(kBlack, kWhite, 21.0), {kBlue, kBlack, 2.44},
                               {Rgb(0xFF0000), kWhite, 4.00}, {Rgb(0x0000FF), kWhite, 8.59}})
        EXPECT_NEAR(ContrastRatio(a, b), ratio, 0.01);  // red and blue weigh apart
    EXPECT_EQ(ReadableOn(Rgb(0x808080), {Rgb(0x808080), Rgb(0x909090)}), kBlack);
    EXPECT_EQ(ReadableOn(Rgb(0x303030), {Rgb(0x404040)}), kWhite);
}

// Each scheme's labels and Text1: Label1 and Label2 at rest (the system's text), Label2 after
// the mouse crossed the form (black) and under the mouse (blue), Text1's text and background.
TEST(Colours, EachSchemeGivesColoursThatRead) {
    const struct {
        const char* name;
        Scheme scheme;
        Colour crossed, hovered;
        bool underlined;
        Colour text1Background;
    } rows[] = {
        // The description's colours where they read: black and blue on the face, Text1 white.
        {"standard", {Rgb(0xF0F0F0), kBlack, kWhite, kBlack, Rgb(0x0066CC), false},
         kBlack, kBlue, false, kWhite},
        // Dark faces: the system's text and link colours instead.
        {"High Contrast Black", {kBlack, kWhite, kBlack, kWhite, Rgb(0xFFFF00), true},
         kWhite, Rgb(0xFFFF00), false, kBlack},
        {"High Contrast #2", {kBlack, Rgb(0x00FF00), kBlack, Rgb(0x00FF00), Rgb(0xFFFF00), true},
         Rgb(0x00FF00), Rgb(0xFFFF00), false, kBlack},
        // Light contrast themes keep black and blue, but Text1 takes the theme's window.
        {"Desert", {Rgb(0xFFFAEF), Rgb(0x3D3D3D), Rgb(0xFFFAEF), Rgb(0x3D3D3D), Rgb(0x1C5E75), true},
         kBlack, kBlue, false, Rgb(0xFFFAEF)},
        // A dark scheme whose link colour does not stand out from its text: underlined.
        {"custom dark", {Rgb(0x202020), Rgb(0xE0E0E0), Rgb(0x101010), Rgb(0xE0E0E0),
                         Rgb(0xE0E0E0), false},
         Rgb(0xE0E0E0), Rgb(0xE0E0E0), true, Rgb(0x101010)},
        // A link colour that reads no better than blue on a dark face: the text's, underlined.
        {"dark link", {Rgb(0x202020), kWhite, kBlack, kWhite, Rgb(0x000080), false},
         kWhite, kWhite, true, kBlack},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Scheme& s = row.scheme;
        const LabelLook label1 = LabelLookUnder(s, s.text, false);
        const LabelLook rest = LabelLookUnder(s, s.text, true);
        const LabelLook crossed = LabelLookUnder(s, kBlack, true);
        const LabelLook hovered = LabelLookUnder(s, kBlue, true);
        EXPECT_EQ(label1.colour, s.text);
        EXPECT_EQ(rest.colour, s.text);
        EXPECT_EQ(crossed.colour, row.crossed);
        EXPECT_EQ(hovered.colour, row.hovered);
        EXPECT_EQ(hovered.underlined, row.underlined);
        EXPECT_FALSE(label1.underlined || rest.underlined || crossed.underlined);
        for (Colour c : {label1.colour, crossed.colour, hovered.colour})
            EXPECT_GE(ContrastRatio(c, s.face), kReadableContrast);
        // Label1 is no link: its own colour stays even were it blue.
        EXPECT_FALSE(LabelLookUnder(s, kBlue, false).underlined);
        const EditLook text1 = Text1LookUnder(s);
        EXPECT_EQ(text1.text, s.windowText);
        EXPECT_EQ(text1.background, row.text1Background);
        EXPECT_GE(ContrastRatio(text1.text, text1.background), kReadableContrast);
    }
}
