#include "Colours.h"

#include <algorithm>
#include <cmath>

double ContrastRatio(Colour a, Colour b) {
    const auto luminance = [](Colour colour) {
        const auto linear = [](Colour channel) {
            const double c = (channel & 0xFF) / 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour) + 0.7152 * linear(colour >> 8) +
               0.0722 * linear(colour >> 16);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Colour ReadableOn(Colour background, std::initializer_list<Colour> choices) {
    for (Colour colour : choices)
        if (ContrastRatio(colour, background) >= kReadableContrast) return colour;
    return ContrastRatio(kBlack, background) >= ContrastRatio(kWhite, background) ? kBlack
                                                                                  : kWhite;
}

LabelLook LabelLookUnder(const Scheme& scheme, Colour foreColor, bool isLink) {
    const bool hot = isLink && foreColor == kBlue;
    const Colour colour =
        ReadableOn(scheme.face, {foreColor, hot ? scheme.hotLight : scheme.text, scheme.text});
    return {colour, hot && colour == ReadableOn(scheme.face, {kBlack, scheme.text})};
}

EditLook Text1LookUnder(const Scheme& scheme) {
    const bool system =
        scheme.highContrast || ContrastRatio(scheme.windowText, kWhite) < kReadableContrast;
    return {scheme.windowText, system ? scheme.window : kWhite};
}
