// The resources this executable carries are the program's own (res/vexilo.rc).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/app_version.h"

namespace vexilo {
namespace {

std::string ResourceBytes(LPCWSTR type, int id) {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = ::LoadResource(nullptr, found);
    const char* bytes = static_cast<const char*>(::LockResource(loaded));
    return std::string(bytes, ::SizeofResource(nullptr, found));
}

TEST(WindowsResources, VersionTextIsTheProductVersion) {
    EXPECT_EQ(ProductVersionText(), "3.0.1.2");
}

TEST(WindowsResources, VersionBlockIsJapaneseUnicodeWithTheProductName) {
    wchar_t path[MAX_PATH];
    ASSERT_GT(::GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    DWORD ignored = 0;
    std::vector<BYTE> info(::GetFileVersionInfoSizeW(path, &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, static_cast<DWORD>(info.size()), info.data()));

    void* value = nullptr;
    UINT size = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &value, &size));
    ASSERT_GE(size, 4u);
    EXPECT_EQ(static_cast<WORD*>(value)[0], 0x0411);
    EXPECT_EQ(static_cast<WORD*>(value)[1], 0x04B0);

    for (const auto& [name, expected] :
         {std::pair{L"ProductName", L"KTP/Q Series Vexilo Panel"},
          std::pair{L"ProductVersion", L"3.0.1.2"}, std::pair{L"FileVersion", L"3.0.1.2"}}) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
        ASSERT_TRUE(::VerQueryValueW(info.data(), key.c_str(), &value, &size));
        EXPECT_EQ(std::wstring(static_cast<wchar_t*>(value)), expected);
    }

    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", &value, &size));
    const auto* fixed = static_cast<VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00030000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00030000u);
}

TEST(WindowsResources, IconHasTheUsualSizes) {
    for (int size : {16, 32, 48, 256}) {
        HICON icon =
            static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128),
                                            IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        EXPECT_NE(icon, nullptr) << size;
        ICONINFO ii{};
        ASSERT_TRUE(::GetIconInfo(icon, &ii));
        BITMAP bm{};
        ::GetObjectW(ii.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, size);
        ::DeleteObject(ii.hbmColor);
        ::DeleteObject(ii.hbmMask);
        ::DestroyIcon(icon);
    }
}

TEST(WindowsResources, LogoIs154By55With24BitsAndAWhiteBackground) {
    const std::string dib = ResourceBytes(MAKEINTRESOURCEW(2) /* RT_BITMAP */, 132);
    ASSERT_GE(dib.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib.data(), sizeof(header));
    EXPECT_EQ(header.biWidth, 154);
    EXPECT_EQ(header.biHeight, 55);
    EXPECT_EQ(header.biBitCount, 24);
    // The corners are white, the colour the window leaves out when it draws the logo.
    const std::size_t stride = (154 * 3 + 3) & ~3u;
    const std::size_t last = header.biSize + stride * 54;
    for (std::size_t at : {std::size_t{header.biSize}, last, last + 153 * 3}) {
        EXPECT_EQ(dib.substr(at, 3), std::string(3, '\xFF')) << at;
    }
    EXPECT_NE(::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(132)), nullptr);
}

TEST(WindowsResources, ManifestAsksForCommonControls6AsInvokerAwareOfTheSystemDpi) {
    const std::string manifest = ResourceBytes(MAKEINTRESOURCEW(24) /* RT_MANIFEST */, 1);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

}  // namespace
}  // namespace vexilo
