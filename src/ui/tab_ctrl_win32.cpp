// The tab control on WC_TABCONTROL; the pages are child windows placed in its display area.
// The backend's header first: it brings windows.h, which commctrl.h builds on.
#include "ui/win32_backend.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include <algorithm>

namespace vexilo::ui::win32 {

namespace {

constexpr wchar_t kPageAreaClass[] = L"VexiloPageArea";
constexpr int kScrollLine = 16;  // pixels an arrow click or a wheel step moves

// Each page at its place: centred when it fits the area, else moved by the scroll positions.
void PlacePages(HWND area) {
    RECT client{};
    ::GetClientRect(area, &client);
    const int dx = GetScrollPos(area, SB_HORZ);
    const int dy = GetScrollPos(area, SB_VERT);
    for (HWND page = GetWindow(area, GW_CHILD); page != nullptr;
         page = GetWindow(page, GW_HWNDNEXT)) {
        RECT own{};
        ::GetWindowRect(page, &own);
        const int w = own.right - own.left;
        const int h = own.bottom - own.top;
        const int x = w <= client.right ? (client.right - w) / 2 : -dx;
        const int y = h <= client.bottom ? (client.bottom - h) / 2 : -dy;
        SetWindowPos(page, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// A scroll bar for each direction in which the largest page does not fit; Windows hides a bar
// whose page covers its range and keeps the positions in range.
void UpdateBars(HWND area) {
    int width = 0;
    int height = 0;
    for (HWND page = GetWindow(area, GW_CHILD); page != nullptr;
         page = GetWindow(page, GW_HWNDNEXT)) {
        RECT own{};
        ::GetWindowRect(page, &own);
        width = std::max(width, static_cast<int>(own.right - own.left));
        height = std::max(height, static_cast<int>(own.bottom - own.top));
    }
    // Twice: one bar takes room from the other direction.
    for (int pass = 0; pass < 2; ++pass) {
        RECT client{};
        ::GetClientRect(area, &client);
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE;
        si.nMax = std::max(0, width - 1);
        si.nPage = static_cast<UINT>(client.right);
        SetScrollInfo(area, SB_HORZ, &si, TRUE);
        si.nMax = std::max(0, height - 1);
        si.nPage = static_cast<UINT>(client.bottom);
        SetScrollInfo(area, SB_VERT, &si, TRUE);
    }
    PlacePages(area);
}

void Scroll(HWND area, int bar, int request, int wheelLines = 0) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(area, bar, &si);
    int pos = si.nPos;
    switch (request) {
        case SB_LINEUP:
            pos -= kScrollLine;
            break;
        case SB_LINEDOWN:
            pos += kScrollLine;
            break;
        case SB_PAGEUP:
            pos -= static_cast<int>(si.nPage);
            break;
        case SB_PAGEDOWN:
            pos += static_cast<int>(si.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            pos = si.nTrackPos;
            break;
        case SB_TOP:
            pos = si.nMin;
            break;
        case SB_BOTTOM:
            pos = si.nMax;
            break;
        default:
            pos += wheelLines * kScrollLine;
            break;
    }
    si.fMask = SIF_POS;
    si.nPos = pos;  // Windows keeps it in range
    SetScrollInfo(area, bar, &si, TRUE);
    PlacePages(area);
}

LRESULT CALLBACK PageAreaProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_HSCROLL:
        case WM_VSCROLL:
            Scroll(hwnd, msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wp));
            return 0;
        case WM_MOUSEWHEEL:
            // What no control took: three lines a notch, as Windows' default.
            Scroll(hwnd, SB_VERT, -1, -GET_WHEEL_DELTA_WPARAM(wp) * 3 / WHEEL_DELTA);
            return 0;
        case WM_SIZE:
            UpdateBars(hwnd);
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

void FitPageArea(HWND tab, HWND area) {
    RECT r{};
    ::GetClientRect(tab, &r);
    SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    MoveWindow(area, r.left, r.top, std::max(0, static_cast<int>(r.right - r.left)),
               std::max(0, static_cast<int>(r.bottom - r.top)), TRUE);
}

LRESULT CALLBACK TabSizeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR area) {
    const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
    if (msg == WM_SIZE || msg == WM_SETFONT) {
        FitPageArea(hwnd, reinterpret_cast<HWND>(area));
    } else if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, TabSizeProc, 1);
    }
    return result;
}

}  // namespace

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
    if (Window(page) != nullptr) {
        FitPageArea(m_hwnd, PageArea());  // the tab row's height may have changed with its font
        UpdateBars(m_area);
    }
}

HWND TabCtrlWindow::PageArea() {
    if (m_area != nullptr) {
        return m_area;
    }
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PageAreaProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);  // as the pages
        wc.lpszClassName = kPageAreaClass;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    m_area = CreateWindowExW(WS_EX_CONTROLPARENT, kPageAreaClass, L"",
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                             m_hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    FitPageArea(m_hwnd, m_area);
    // The area follows the control's size: shrinking the window to the screen resizes it.
    SetWindowSubclass(m_hwnd, TabSizeProc, 1, reinterpret_cast<DWORD_PTR>(m_area));
    return m_area;
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
