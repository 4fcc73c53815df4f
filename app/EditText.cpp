#include "EditText.h"

// The text is written into the string once, not zero-filled first (megabytes on a large text).
std::u16string ReadEditText(HWND edit, int length) {
    std::u16string text;
    // One more unit for the terminator GetWindowTextW writes.
    text.resize_and_overwrite(static_cast<size_t>(length) + 1, [edit](char16_t* data, size_t size) {
        const int copied = GetWindowTextW(edit, AsWide(data), static_cast<int>(size));
        return static_cast<size_t>(copied > 0 ? copied : 0);
    });
    return text;
}

// The old text is deleted before the new one goes in at the same place, which the edit keeps
// as one undo step: replacing in one message lays the new text out against the old lines,
// which costs Wine's edit control twice a WM_SETTEXT.
void ReplaceEditText(HWND edit, int length, const std::u16string& text) {
    // Else the edit may join the step to an earlier deletion at the same place.
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
    // Selected from the end back to the start: the caret stays at 0, so the edit does not
    // walk its line list to place it at the end of the old text (Wine).
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(length), 0);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(AsWide(text.c_str())));
}

void SetEditCaret(HWND edit, int position) {
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(position), position);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}
