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

// The whole text in one read.
std::u16string ReadEditText(HWND edit);

// Replaces the whole text in one undoable step: Ctrl+Z brings back the text from before.
// True: the caret is at the end, nothing selected, scrolled into view. False: the edit took
// less than all of it (out of memory) and the old text is put back; the caret is anywhere.
bool StoreEditText(HWND edit, const std::u16string& text);

// The caret at position (past the end: at the end), nothing selected, scrolled into view.
void SetEditCaret(HWND edit, int position);
