// The tab control on WC_TABCONTROL; the pages are child windows placed in its display area.
// The backend's header first: it brings windows.h, which commctrl.h builds on.
#include "ui/win32_backend.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include <algorithm>

namespace vexilo::ui::win32 {

int TabCtrlWindow::InsertItem(int index, const std::string& text) {
    const int count = GetItemCount();
    std::wstring wide = Wide(text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = wide.data();
    const int at = static_cast<int>(SendMessageW(m_hwnd, TCM_INSERTITEMW,
                                                 static_cast<WPARAM>(std::clamp(index, 0, count)),
                                                 reinterpret_cast<LPARAM>(&item)));
    if (count == 0 && at >= 0) {
        SendMessageW(m_hwnd, TCM_SETCURSEL, static_cast<WPARAM>(at), 0);
        m_noSelection = false;
    }
    return at;
}

bool TabCtrlWindow::DeleteItem(int index) {
    if (index < 0 || index >= GetItemCount()) {
        return false;
    }
    const bool wasSelected = index == GetCurSel();
    SendMessageW(m_hwnd, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
    if (wasSelected) {
        m_noSelection = true;
    }
    return true;
}

int TabCtrlWindow::GetItemCount() const {
    return static_cast<int>(SendMessageW(m_hwnd, TCM_GETITEMCOUNT, 0, 0));
}

std::string TabCtrlWindow::GetItemText(int index) const {
    wchar_t buffer[256] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = 255;
    if (!SendMessageW(m_hwnd, TCM_GETITEMW, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&item))) {
        return {};
    }
    return Utf8(item.pszText);
}

int TabCtrlWindow::GetCurSel() const {
    return m_noSelection ? -1 : static_cast<int>(SendMessageW(m_hwnd, TCM_GETCURSEL, 0, 0));
}

int TabCtrlWindow::SetCurSel(int index) {
    if (index < 0 || index >= GetItemCount()) {
        return -1;
    }
    const int previous = GetCurSel();
    SendMessageW(m_hwnd, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    m_noSelection = false;
    return previous;
}

Rect TabCtrlWindow::GetItemRect(int index) const {
    RECT r{};
    if (index < 0 || index >= GetItemCount() ||
        !SendMessageW(m_hwnd, TCM_GETITEMRECT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(&r))) {
        return {};
    }
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

Rect TabCtrlWindow::GetClientRect() const {
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    return {0, 0, r.right, r.bottom};
}

int TabCtrlWindow::RowHeight() const {
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    SendMessageW(m_hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    return std::max(0, static_cast<int>(r.top));
}

void TabCtrlWindow::PlacePage(Dialog& page) {
    HWND hwnd = Window(page);
    if (hwnd == nullptr) {
        return;
    }
    RECT area{};
    ::GetClientRect(m_hwnd, &area);
    SendMessageW(m_hwnd, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    RECT own{};
    ::GetWindowRect(hwnd, &own);
    const int w = own.right - own.left;
    const int h = own.bottom - own.top;
    // Centred in the display area; a page larger than the area starts at its top left.
    const int x = area.left + std::max(0, static_cast<int>(area.right - area.left - w) / 2);
    const int y = area.top + std::max(0, static_cast<int>(area.bottom - area.top - h) / 2);
    SetWindowPos(hwnd, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
}

void TabCtrlWindow::Repaint() {
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

bool TabCtrlWindow::IsControlEnabled() const {
    return IsWindowEnabled(m_hwnd) != FALSE;
}

void TabCtrlWindow::SelectByUser(int index) {
    if (index == static_cast<int>(SendMessageW(m_hwnd, TCM_GETCURSEL, 0, 0)) && !m_noSelection) {
        return;
    }
    SendMessageW(m_hwnd, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    m_noSelection = false;
    NotifySelChange();
}

void TabCtrlWindow::OnNativeSelChange() {
    m_noSelection = false;
    NotifySelChange();
}

}  // namespace vexilo::ui::win32
