#pragma once

#include <string>
#include <string_view>

// The two reformatting operations behind the buttons. Text is UTF-16 code
// units; CR LF is the only line break, a lone CR or LF is an ordinary
// character.

// 去空行: drops every run of spaces (U+0020 only) standing directly before
// CR LF, then drops the CR of every line break directly followed by another
// line break (its LF stays). Never longer than the input.
std::u16string RemoveBlankLines(std::u16string_view text);

// 加空行: every maximal run of k consecutive CR LF becomes 2 * ceil(k / 2)
// CR LF, so each line but the last is followed by exactly one blank line.
// Idempotent.
std::u16string AddBlankLines(std::u16string_view text);
