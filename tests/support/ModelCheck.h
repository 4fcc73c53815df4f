#pragma once

// The engine against the literal model, plus the properties users rely on; shared by the
// random test and the fuzzer so both hold the engine to the same bar.

#include <string>
#include <string_view>

#include "LiteralModel.h"
#include "text/BlankLines.h"

// What is wrong with the engine on text, or "" when nothing is.
inline std::string CheckAgainstModel(std::u16string_view text) {
    const std::u16string removed = RemoveBlankLines(text), added = AddBlankLines(text);
    if (removed != model::RemoveBlankLines(text)) return "去空行 differs from the model";
    if (added != model::AddBlankLines(text)) return "加空行 differs from the model";
    if (AddBlankLines(added) != added) return "加空行 twice differs from once";
    return {};
}
