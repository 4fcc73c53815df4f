#pragma once

#include <cstddef>
#include <random>
#include <string>

// Text such as people paste: Chinese and English lines joined by CR LF, about a quarter of
// them blank, some of spaces only, some with trailing spaces, now and then a character
// outside the BMP (a surrogate pair). Deterministic for a given seed.
class RealisticTextMaker {
public:
    explicit RealisticTextMaker(unsigned seed = 42) : m_random(seed) {}

    // Whole lines, each ending in CR LF, until at least `units` UTF-16 units.
    std::u16string Lines(size_t units) {
        std::u16string text;
        text.reserve(units + 512);
        while (text.size() < units) {
            const int kind = Pick(0, 99);
            if (kind < 25) {
                // a blank line
            } else if (kind < 28) {
                text.append(static_cast<size_t>(Pick(1, 6)), u' ');
            } else if (kind < 64) {
                AppendChinese(text, Pick(8, 60));
            } else {
                AppendEnglish(text, Pick(3, 14));
            }
            if (Pick(0, 4) == 0) text.append(static_cast<size_t>(Pick(1, 4)), u' ');
            text += u"\r\n";
        }
        return text;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    void AppendChinese(std::u16string& text, int characters) {
        for (int i = 0; i < characters; ++i) {
            const int r = Pick(0, 199);
            if (r < 10)
                text += u'，';
            else if (r < 15)
                text += u'。';
            else if (r == 15)
                text += u"\U00020BB7";  // 𠮷, a CJK Extension B character
            else
                text += static_cast<char16_t>(0x4E00 + Pick(0, 0x51A5));
        }
    }

    void AppendEnglish(std::u16string& text, int words) {
        static constexpr const char16_t* kWords[] = {
            u"the", u"line",  u"spacing", u"of",   u"pasted",   u"text", u"from",
            u"a",   u"web",   u"page",    u"or",   u"document", u"tidy", u"in",
            u"one", u"click", u"Windows", u"fast", u"window",   u"and"};
        for (int i = words; i > 0; --i) {
            text += kWords[Pick(0, static_cast<int>(std::size(kWords)) - 1)];
            text += i > 1 ? u" " : u".";
        }
    }

    std::mt19937_64 m_random;
};

// Nothing but line breaks: one line per break for the window, runs to the end for the engine.
inline std::u16string LineBreaks(size_t count) {
    std::u16string text;
    text.reserve(2 * count);
    for (size_t i = 0; i < count; ++i) text += u"\r\n";
    return text;
}
