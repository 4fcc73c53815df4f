#pragma once

// Test tables write control characters as visible pictures so a reader sees
// input and expected output side by side: · space, ␍ CR, ␊ LF, ⇥ tab.

#include <string>
#include <string_view>

inline std::u16string Decode(std::u16string_view shown) {
    std::u16string out;
    for (char16_t c : shown) {
        switch (c) {
            case u'·': out += u' '; break;
            case u'␍': out += u'\r'; break;
            case u'␊': out += u'\n'; break;
            case u'⇥': out += u'\t'; break;
            default: out += c;
        }
    }
    return out;
}

// UTF-8 rendering with the same pictures, for failure messages. Lone
// surrogates and other odd units are printed as <XXXX>.
inline std::string Visible(std::u16string_view text) {
    std::string out;
    auto put = [&out](char32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u' ')
            put(U'·');
        else if (c == u'\r')
            put(U'␍');
        else if (c == u'\n')
            put(U'␊');
        else if (c == u'\t')
            put(U'⇥');
        else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                 text[i + 1] <= 0xDFFF) {
            put(0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            static const char* hex = "0123456789ABCDEF";
            out += '<';
            for (int shift = 12; shift >= 0; shift -= 4) out += hex[(c >> shift) & 0xF];
            out += '>';
        } else {
            put(c);
        }
    }
    return out;
}
