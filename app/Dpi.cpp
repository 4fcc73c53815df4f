#include "Dpi.h"

namespace {

template <class Function>
void Find(HMODULE user32, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(user32, name)));
}

UINT SystemDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

NewerUser32 NewerUser32OfThisSystem() {
    NewerUser32 calls;
    if (const HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
        Find(user32, "GetDpiForWindow", calls.getDpiForWindow);
        Find(user32, "AdjustWindowRectExForDpi", calls.adjustWindowRectExForDpi);
        Find(user32, "SystemParametersInfoForDpi", calls.systemParametersInfoForDpi);
    }
    return calls;
}

UINT DpiOfWindow(const NewerUser32& user32, HWND hwnd) {
    const UINT dpi = user32.getDpiForWindow ? user32.getDpiForWindow(hwnd) : 0;
    return dpi ? dpi : SystemDpi();
}

SIZE FrameAt(const NewerUser32& user32, DWORD style, UINT dpi) {
    RECT frame{};
    if (!user32.adjustWindowRectExForDpi ||
        !user32.adjustWindowRectExForDpi(&frame, style, FALSE, 0, dpi))
        AdjustWindowRectEx(&frame, style, FALSE, 0);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

LOGFONTW MessageFontAt(const NewerUser32& user32, UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (user32.systemParametersInfoForDpi &&
        user32.systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                          dpi))
        return metrics.lfMessageFont;

    LOGFONTW font{};
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = metrics.lfMessageFont;
    else
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    // Those are sized for the system DPI.
    font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    return font;
}
