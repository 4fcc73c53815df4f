#pragma once

// Slow, literal models of the two operations, step by step as they are defined (search,
// replace-all, split, per-position loop), and the check that holds the engine to them: shared by
// the random test and the fuzzer so both hold it to the same bar.

#include <string>
#include <string_view>
#include <vector>

#include "text/EnginePaths.h"

namespace model {

// Left-to-right replace-all; emitted text is not scanned again.
inline std::u16string ReplaceAll(std::u16string_view text, std::u16string_view from,
                                 std::u16string_view to) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const bool found = text.substr(i, from.size()) == from;
        out += found ? to : text.substr(i, 1);
        i += found ? from.size() : 1;
    }
    return out;
}

inline std::vector<std::u16string> Split(std::u16string_view text, std::u16string_view sep) {
    if (text.empty()) return {};  // an empty text has no lines at all
    std::vector<std::u16string> pieces;
    size_t start = 0;
    for (size_t at; (at = text.find(sep, start)) != text.npos; start = at + sep.size())
        pieces.emplace_back(text.substr(start, at - start));
    pieces.emplace_back(text.substr(start));
    return pieces;
}

inline std::u16string RemoveBlankLines(std::u16string_view input) {
    std::u16string text(input), result;
    while (text.find(u" \r\n") != text.npos) text = ReplaceAll(text, u" \r\n", u"\r\n");
    for (size_t i = 1; i <= text.size(); ++i)
        if (std::u16string_view(text).substr(i - 1, 4) != u"\r\n\r\n") result += text[i - 1];
    return result;
}

inline std::u16string AddBlankLines(std::u16string_view input) {
    const auto lines = Split(ReplaceAll(input, u"\r\n\r\n", u"\r\n"), u"\r\n");
    std::u16string result;
    for (size_t i = 0; i < lines.size(); ++i) result += (i == 0 ? u"" : u"\r\n\r\n") + lines[i];
    return result;
}

}  // namespace model

// What is wrong with the engine's path on text, or "" when nothing is.
inline std::string CheckAgainstModel(const EnginePath& path, std::u16string_view text) {
    const std::u16string removed = path.removeBlankLines(text), added = path.addBlankLines(text);
    if (removed != model::RemoveBlankLines(text)) return "去空行 differs from the model";
    if (added != model::AddBlankLines(text)) return "加空行 differs from the model";
    if (path.addBlankLines(added) != added) return "加空行 twice differs from once";
    return {};
}
