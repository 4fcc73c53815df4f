#pragma once

// Slow, literal models of the two operations, step by step as they are defined, and the check
// that holds the engine to them: the random test and the fuzzer hold it to the same bar.

#include <string>
#include <string_view>

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

inline std::u16string RemoveBlankLines(std::u16string_view input) {
    std::u16string text(input), result;
    while (text.find(u" \r\n") != text.npos) text = ReplaceAll(text, u" \r\n", u"\r\n");
    for (size_t i = 1; i <= text.size(); ++i)
        if (std::u16string_view(text).substr(i - 1, 4) != u"\r\n\r\n") result += text[i - 1];
    return result;
}

// Blank lines merged into their line's break, then each line joined to the next by a break
// and a blank line: splitting at CR LF and joining with two is a replace-all.
inline std::u16string AddBlankLines(std::u16string_view input) {
    return ReplaceAll(ReplaceAll(input, u"\r\n\r\n", u"\r\n"), u"\r\n", u"\r\n\r\n");
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
