#include "Dpi.h"

// Alone in its file, so that a test program can link its own in place of this one.
FARPROC NewerUser32Call(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? GetProcAddress(user32, name) : nullptr;
}
