#include "Dpi.h"

// app_tests_win7: as on Windows 7, no newer user32 call is there. Linked ahead of the form
// library, so the library's own lookup stays out.
FARPROC NewerUser32Call(const char*) {
    return nullptr;
}
