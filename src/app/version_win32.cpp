// The title's version, read from the executable's own version resource.
#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "app/app_version.h"

namespace vexilo {
namespace {

// The title holds at most 255 characters; the rest of it is the fixed text before the version.
constexpr std::size_t kMaxVersionChars = 255 - 32;

// Eight lower-case hex digits, as "%08x" writes them.
std::wstring Hex8(std::uint32_t value) {
    std::wstring out(8, L'0');
    for (int i = 7; i >= 0; --i, value >>= 4) {
        out[static_cast<std::size_t>(i)] = L"0123456789abcdef"[value & 0xF];
    }
    return out;
}

std::string ToUtf8(const wchar_t* text, int length) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return {};
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::string ProductVersionText() {
    wchar_t path[MAX_PATH] = {};
    const DWORD pathLength = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (pathLength == 0 || pathLength >= MAX_PATH) {
        return {};
    }
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        return {};
    }
    std::vector<BYTE> info(size + 1);
    if (!::GetFileVersionInfoW(path, 0, size, info.data())) {
        return {};
    }
    // The first language and code page of the translation table name the string block.
    void* translation = nullptr;
    UINT translationBytes = 0;
    if (!::VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", &translation,
                          &translationBytes) ||
        translation == nullptr || translationBytes < 2 * sizeof(WORD)) {
        return {};
    }
    const WORD* pair = static_cast<const WORD*>(translation);
    const std::wstring block = L"\\StringFileInfo\\" +
                               Hex8(static_cast<std::uint32_t>(pair[0]) * 65536U + pair[1]) +
                               L"\\ProductVersion";
    void* value = nullptr;
    UINT valueChars = 0;
    if (!::VerQueryValueW(info.data(), block.c_str(), &value, &valueChars) || value == nullptr ||
        valueChars == 0) {
        return {};
    }
    const wchar_t* text = static_cast<const wchar_t*>(value);
    std::size_t length = ::wcsnlen(text, valueChars);
    if (length > kMaxVersionChars) {
        length = kMaxVersionChars;
    }
    return ToUtf8(text, static_cast<int>(length));
}

}  // namespace vexilo
