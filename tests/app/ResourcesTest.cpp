#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "resource.h"

namespace {

// The build passes the program's path as the host sees it; under Wine "/" is drive Z:.
std::wstring ProgramPath() {
    std::wstring path(APP_EXE, APP_EXE + sizeof APP_EXE - 1);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path[0] == L'\\' ? L"Z:" + path : path;
}

}  // namespace

TEST(Resources, VersionBlock) {
    const std::wstring path = ProgramPath();
    std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), nullptr));
    ASSERT_TRUE(
        GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
        << APP_EXE;
    const auto query = [&block](const std::wstring& name) {
        void* value = nullptr;
        UINT size = 0;
        return VerQueryValueW(block.data(), name.c_str(), &value, &size) ? value : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    ASSERT_TRUE(fixed);
    EXPECT_EQ(
        std::make_tuple(fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                        fixed->dwProductVersionLS, fixed->dwFileOS, fixed->dwFileType),
        std::make_tuple(0x10000ul, 0ul, 0x10000ul, 0ul, DWORD{VOS__WINDOWS32}, DWORD{VFT_APP}));
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
    ASSERT_TRUE(translation);
    EXPECT_EQ(std::make_pair(translation[0], translation[1]),
              std::make_pair(WORD{0x0804}, WORD{1200}));
    for (const wchar_t* name : {L"CompanyName", L"ProductName", L"FileVersion", L"ProductVersion",
                                L"InternalName", L"OriginalFilename"}) {
        const auto* value = static_cast<const wchar_t*>(
            query(std::wstring(L"\\StringFileInfo\\080404B0\\") + name));
        EXPECT_STREQ(value, L"www.tavrin.example") << name;
    }
}

TEST(Resources, IconHasTheSevenImagesAndManifestAsksForPerMonitorDpi) {
    const HMODULE program = LoadLibraryExW(
        ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(program);
    const auto bytesOf = [program](LPCWSTR name, LPCWSTR type) {
        const HRSRC found = FindResourceW(program, name, type);
        const auto* data =
            found ? static_cast<const char*>(LockResource(LoadResource(program, found))) : nullptr;
        return data ? std::string(data, SizeofResource(program, found)) : std::string();
    };

    // GRPICONDIR: three WORDs, then 14-byte entries (width, height, colours, 0, planes, bit count,
    // ...).
    const std::string group = bytesOf(MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON);
    ASSERT_GE(group.size(), 6u);
    const auto byteAt = [&group](size_t i) { return static_cast<unsigned char>(group[i]); };
    const size_t count = byteAt(4) | byteAt(5) << 8;
    ASSERT_EQ(group.size(), 6 + 14 * count);
    std::vector<std::tuple<int, int, int>> images;
    for (size_t entry = 6; entry < group.size(); entry += 14)
        images.emplace_back(byteAt(entry), byteAt(entry + 1),
                            byteAt(entry + 6) | byteAt(entry + 7) << 8);
    std::sort(images.begin(), images.end());
    EXPECT_EQ(images, (std::vector<std::tuple<int, int, int>>{{16, 16, 8},
                                                              {16, 16, 32},
                                                              {24, 24, 8},
                                                              {24, 24, 32},
                                                              {32, 32, 8},
                                                              {32, 32, 32},
                                                              {48, 48, 32}}));

    EXPECT_NE(bytesOf(MAKEINTRESOURCEW(1), RT_MANIFEST).find("PerMonitorV2"), std::string::npos);
    FreeLibrary(program);
}
