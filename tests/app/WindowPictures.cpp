// window_pictures DIR: the window on screen with a sample text, before and after each button
// and at 144 DPI, as BMP files for people to look at (CI keeps those from real Windows).
// Exits 1 if a picture could not be saved.

#include <windows.h>

#include <cstdio>
#include <string>

#include "WindowDriver.h"

namespace {

// A pasted note as people bring it: blank lines, some only spaces, and spaces left at line ends.
constexpr char16_t kSample[] =
    u"会议纪要  \r\n\r\n时间：3月5日 14:00   \r\n地点：三楼会议室\r\n   \r\n\r\n"
    u"Attendees: Li Wei, Zhang Min, Tom Baker  \r\n\r\n一、项目进度\r\n"
    u"The beta build passed QA on Monday.  \r\n\r\n\r\n二、下一步\r\n"
    u"请各位在周五前提交报告。Reports are due on Friday.\r\n";

// The window as it is on the screen, frame and all, as a 24-bit BMP.
bool SavePicture(const std::string& path) {
    const HWND hwnd = Form().Hwnd();
    if (!BringToFront(hwnd)) return false;
    RedrawWindow(hwnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    RECT r;
    GetWindowRect(hwnd, &r);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = r.right - r.left;
    header.biHeight = r.bottom - r.top;  // bottom-up rows, as a BMP file keeps them
    header.biPlanes = 1;
    header.biBitCount = 24;
    const DWORD size = (header.biWidth * 3 + 3) / 4 * 4 * header.biHeight;
    constexpr DWORD kOffset = sizeof(BITMAPFILEHEADER) + sizeof header;
    const BITMAPFILEHEADER file{0x4D42, kOffset + size, 0, 0, kOffset};
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                            DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    bool saved = bitmap && BitBlt(memory, 0, 0, header.biWidth, header.biHeight, screen, r.left,
                                  r.top, SRCCOPY);
    GdiFlush();
    if (FILE* out = saved ? std::fopen(path.c_str(), "wb") : nullptr) {
        saved = std::fwrite(&file, sizeof file, 1, out) &&
                std::fwrite(&header, sizeof header, 1, out) && std::fwrite(bits, size, 1, out);
        saved = std::fclose(out) == 0 && saved;
    } else {
        saved = false;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("%s %s\n", saved ? "saved" : "could not save", path.c_str());
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_pictures DIR\n");
        return 2;
    }
    Form1 form;
    if (!StartForm(form)) return 2;
    const std::string dir = argv[1];
    CreateDirectoryA(dir.c_str(), nullptr);
    SetText1(kSample);
    bool saved = SavePicture(dir + "/1-start.bmp");
    Click(Form().Command1());
    saved = SavePicture(dir + "/2-remove.bmp") && saved;
    Click(Form().Command2());
    saved = SavePicture(dir + "/3-add.bmp") && saved;
    MoveToDpi(144);
    saved = SavePicture(dir + "/4-144dpi.bmp") && saved;
    if (UnderWine())
        std::printf(
            "(under Wine a lone LF, as the remove button leaves them, breaks the line: "
            "2-remove shows the blank lines as before)\n");
    return saved ? 0 : 1;
}
