// The up-down control: the native control draws, the kit's rules step and repeat.
// The backend's header first: it brings windows.h, which commctrl.h builds on.
#include "ui/win32_backend.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include <string>

namespace vexilo::ui::win32 {

UpDownWindow::UpDownWindow(HWND hwnd, HWND buddy, bool setBuddyInt, bool arrowKeys)
    : m_hwnd(hwnd), m_buddy(buddy), m_setBuddyInt(setBuddyInt), m_arrowKeys(arrowKeys) {
    SetWindowSubclass(m_hwnd, SpinProc, 1, reinterpret_cast<DWORD_PTR>(this));
    if (m_buddy != nullptr && m_arrowKeys) {
        SetWindowSubclass(m_buddy, BuddyProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
}

UpDownWindow::~UpDownWindow() {
    if (IsWindow(m_hwnd)) {
        RemoveWindowSubclass(m_hwnd, SpinProc, 1);
    }
    if (m_buddy != nullptr && m_arrowKeys && IsWindow(m_buddy)) {
        RemoveWindowSubclass(m_buddy, BuddyProc, 1);
    }
}

bool UpDownWindow::IsControlEnabled() const {
    return IsWindowEnabled(m_hwnd) != FALSE;
}

void UpDownWindow::ShowPosInBuddy(int pos) {
    if (m_buddy != nullptr && m_setBuddyInt) {
        SetWindowTextW(m_buddy, std::to_wstring(pos).c_str());
    }
}

void UpDownWindow::Redraw() {
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT CALLBACK UpDownWindow::SpinProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR data) {
    auto* self = reinterpret_cast<UpDownWindow*>(data);
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            // The native control would step and repeat by itself: the kit's rules do instead.
            RECT r{};
            GetClientRect(hwnd, &r);
            const int y = static_cast<short>(HIWORD(lp));
            SetCapture(hwnd);
            self->Press(y < r.bottom / 2 ? 1 : -1);
            return 0;
        }
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd) {
                ReleaseCapture();
            }
            self->StopRepeat();
            return 0;
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE:
            self->StopRepeat();
            break;
        case WM_ENABLE:
            if (wp == FALSE) {
                self->StopRepeat();
            }
            break;
        case WM_SHOWWINDOW:
            if (wp == FALSE) {
                self->StopRepeat();
            }
            break;
        case WM_MOUSEMOVE:
            return 0;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK UpDownWindow::BuddyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                         DWORD_PTR data) {
    if (msg == WM_KEYDOWN && (wp == VK_UP || wp == VK_DOWN)) {
        reinterpret_cast<UpDownWindow*>(data)->Step(wp == VK_UP ? 1 : -1);
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace vexilo::ui::win32
