#pragma once

// Slow, literal models of the two operations, step by step as they are defined (search,
// replace-all, split, per-position loop); the tests and the fuzzer hold the engine to them.

#include <string>
#include <string_view>
#include <vector>

namespace model {

// Left-to-right replace-all; emitted text is not scanned again.
inline std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                                 std::u16string_view to) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text.substr(i, from.size()) == from) {
            out += to;
            i += from.size();
        } else {
            out += text[i];
            ++i;
        }
    }
    return out;
}

inline std::vector<std::u16string> Split(std::u16string_view text, std::u16string_view sep) {
    std::vector<std::u16string> pieces;
    if (text.empty()) return pieces;  // an empty text has no lines at all
    size_t start = 0;
    for (;;) {
        size_t at = text.find(sep, start);
        if (at == std::u16string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, at - start));
        start = at + sep.size();
    }
}

inline std::u16string RemoveBlankLines(std::u16string_view input) {
    std::u16string text(input);
    while (text.find(u" \r\n") != std::u16string::npos) {
        text = ReplaceAll(text, u" \r\n", u"\r\n");
    }
    const size_t n = text.size();
    std::u16string result;
    for (size_t i = 1; i <= n; ++i) {
        std::u16string_view four = std::u16string_view(text).substr(i - 1, 4);
        if (four != u"\r\n\r\n") result += text[i - 1];
    }
    return result;
}

inline std::u16string AddBlankLines(std::u16string_view input) {
    std::u16string thinned = ReplaceAll(input, u"\r\n\r\n", u"\r\n");
    std::vector<std::u16string> lines = Split(thinned, u"\r\n");
    const long upper = static_cast<long>(lines.size()) - 1;
    std::u16string result;
    for (long i = 0; i <= upper; ++i) {
        result += lines[static_cast<size_t>(i)];
        if (i != upper) result += u"\r\n\r\n";
    }
    return result;
}

}  // namespace model
