// Measuring captions and the screen with GDI and the system metrics.
#include "ui/dialog_fit.h"
#include "ui/win32_backend.h"

namespace vexilo::ui {

int CaptionAdvance(const FontSpec& font, const std::string& caption) {
    HFONT hfont = win32::MakeFont(font);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, hfont);
    std::wstring text = win32::Wide(caption);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(hfont);
    return r.right - r.left;
}

int CaptionDecoration(ControlKind kind) {
    switch (kind) {
        case ControlKind::Check:
        case ControlKind::Radio:
            // The box or circle and the gap before the text.
            return GetSystemMetrics(SM_CXMENUCHECK) + 4;
        case ControlKind::Button:
            return 2 * GetSystemMetrics(SM_CXEDGE) + 8;
        case ControlKind::Group:
            return kGroupTitleLeft + 2 * kGroupTitlePadding + 2;
        case ControlKind::Edit:
            return 2 * GetSystemMetrics(SM_CXEDGE) + 4;
        default:
            return 0;
    }
}

Size AvailableClientArea() {
    RECT work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return ClientAreaOn({work.right - work.left, work.bottom - work.top});
}

}  // namespace vexilo::ui
