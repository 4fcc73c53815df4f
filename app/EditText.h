#pragma once

#include <windows.h>

#include <string>

// Whole-text operations on an edit control, in UTF-16 code units.

// The one place where the window's wchar_t text meets the engine's char16_t text.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "both are UTF-16 code units");
inline wchar_t* AsWide(char16_t* text) {
    return reinterpret_cast<wchar_t*>(text);
}
inline const wchar_t* AsWide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// The whole text, `length` units as GetWindowTextLengthW gave them, in one read.
std::u16string ReadEditText(HWND edit, int length);

// Replaces the whole text, `length` units long, in one undoable step: Ctrl+Z brings back the
// text from before. The caret ends at the end, nothing selected, scrolled into view. Where the
// edit takes less than all of it, it tells its parent (EN_ERRSPACE, EN_MAXTEXT) meanwhile.
void ReplaceEditText(HWND edit, int length, const std::u16string& text);

// The caret at position (past the end: at the end), nothing selected, scrolled into view.
void SetEditCaret(HWND edit, int position);
