// ANSI code page conversions on Windows: the process code page (CP_ACP).
#include <windows.h>

#include "pages/ansi_codepage.h"

namespace vexilo {

namespace {

bool ToWide(UINT codePage, DWORD flags, std::string_view in, std::wstring& out) {
    out.clear();
    if (in.empty()) {
        return true;
    }
    const int n =
        MultiByteToWideChar(codePage, flags, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) {
        return false;
    }
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(codePage, flags, in.data(), static_cast<int>(in.size()), out.data(),
                               n) == n;
}

}  // namespace

bool Utf8ToAnsi(std::string_view utf8, std::string& ansi) {
    ansi.clear();
    std::wstring wide;
    if (!ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, wide)) {
        return false;
    }
    if (wide.empty()) {
        return true;
    }
    const int wn = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wn, nullptr, 0,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault) {
        return false;  // a character without a form in the code page
    }
    ansi.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), wn, ansi.data(), n,
                               nullptr, nullptr) == n;
}

bool AnsiToUtf8(std::string_view ansi, std::string& utf8) {
    utf8.clear();
    std::wstring wide;
    if (!ToWide(CP_ACP, MB_ERR_INVALID_CHARS, ansi, wide)) {
        return false;
    }
    if (wide.empty()) {
        return true;
    }
    const int wn = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wn, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return false;
    }
    utf8.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(CP_UTF8, 0, wide.data(), wn, utf8.data(), n, nullptr, nullptr) == n;
}

}  // namespace vexilo
