#include "AppTest.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <new>

#include "WindowDriver.h"

std::vector<ShellCall> g_shellCalls;
bool g_failTransforms = false;
HWND g_focusAtStart = nullptr;

namespace {

HINSTANCE WINAPI RecordShellExecute(HWND hwnd, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT show) {
    g_shellCalls.emplace_back(hwnd, operation, file, parameters, directory, show);
    return reinterpret_cast<HINSTANCE>(42);
}

template <std::u16string (*Transform)(std::u16string_view)>
std::u16string FailingWhenAsked(std::u16string_view text) {
    if (g_failTransforms) throw std::bad_alloc();
    return Transform(text);
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // for the accessibility client
    Form1Calls calls;
    calls.shellExecuteA = RecordShellExecute;
    calls.removeBlankLines = FailingWhenAsked<RemoveBlankLines>;
    calls.addBlankLines = FailingWhenAsked<AddBlankLines>;
    Form1 form(calls);
    if (!StartForm(form)) return 2;
    g_focusAtStart = GetFocus();
    return RUN_ALL_TESTS();
}
