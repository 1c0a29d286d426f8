// Texts, fonts and dialog base units with GDI.
#include <algorithm>

#include "ui/dialog_units.h"
#include "ui/win32_backend.h"

namespace vexilo::ui {

namespace {

int CALLBACK NoteFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool IsInstalled(const std::wstring& family) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    family.copy(lf.lfFaceName, LF_FACESIZE - 1);
    bool found = false;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &lf, NoteFamily, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, dc);
    return found;
}

}  // namespace

std::wstring win32::Wide(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(n, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string win32::Utf8(const std::wstring& wide) {
    if (wide.empty()) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

std::string win32::WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return Utf8(text);
}

int win32::SystemDpi() {
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        const int value = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

HFONT win32::MakeFont(const FontSpec& font) {
    std::wstring face;
    for (const std::string& family : font.families) {
        if (IsInstalled(Wide(family))) {
            face = Wide(family);
            break;
        }
    }
    if (face.empty() && !font.families.empty()) {
        face = Wide(font.families.front());  // the system's substitute, if it has one
    }
    LOGFONTW lf{};
    // Sizes are in pixels of a 96-dpi screen; the program is DPI-aware (its manifest), so the
    // font grows with the screen's DPI and every dialog unit with it.
    lf.lfHeight = -ui::MulDiv(std::max(font.pixelSize, 1), SystemDpi(), 96);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    face.copy(lf.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&lf);
}

BaseUnits DialogBaseUnits(const FontSpec& font) {
    HFONT hfont = win32::MakeFont(font);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hfont);
    const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    GetTextExtentPoint32W(dc, alphabet, 52, &size);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(hfont);
    return BaseUnitsOf(size.cx, tm.tmHeight);
}

}  // namespace vexilo::ui
