#pragma once

// Test tables write control characters as pictures: · space, ␍ CR, ␊ LF, ⇥ tab.

#include <cstdio>
#include <string>
#include <string_view>

inline std::u16string Decode(std::u16string_view shown) {
    std::u16string out(shown);
    for (char16_t& c : out) {
        c = c == u'·' ? u' ' : c == u'␍' ? u'\r' : c == u'␊' ? u'\n' : c == u'⇥' ? u'\t' : c;
    }
    return out;
}

// For failure messages: the pictures above, other non-ASCII units as <XXXX>.
inline std::string Visible(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c == u' ')
            out += "·";
        else if (c == u'\r')
            out += "␍";
        else if (c == u'\n')
            out += "␊";
        else if (c == u'\t')
            out += "⇥";
        else if (c < 0x80)
            out += static_cast<char>(c);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%04X>", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out;
}
