// The up-down control: the native control draws, the kit's rules step and repeat.
// The backend's header first: it brings windows.h, which commctrl.h builds on.
#include "ui/win32_backend.h"
// clang-format off
#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>
// clang-format on

#include <string>

namespace vexilo::ui::win32 {

namespace {

// Draws the held arrow pressed over what the native control drew, which never sees the press:
// in the theme's look when one is active, else in the classic one.
void DrawPressedArrow(HWND hwnd, HDC dc, int direction) {
    RECT r{};
    GetClientRect(hwnd, &r);
    const LONG middle = r.bottom / 2;
    RECT half = direction > 0 ? RECT{r.left, r.top, r.right, middle}
                              : RECT{r.left, middle, r.right, r.bottom};
    if (HTHEME theme = OpenThemeData(hwnd, L"Spin")) {
        DrawThemeBackground(
            theme, dc, direction > 0 ? SPNP_UP : SPNP_DOWN,
            direction > 0 ? static_cast<int>(UPS_PRESSED) : static_cast<int>(DNS_PRESSED), &half,
            nullptr);
        CloseThemeData(theme);
    } else {
        DrawFrameControl(dc, &half, DFC_SCROLL,
                         (direction > 0 ? DFCS_SCROLLUP : DFCS_SCROLLDOWN) | DFCS_PUSHED);
    }
}

}  // namespace

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
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
            if (self->Pressed() != 0 && IsWindowEnabled(hwnd)) {
                HDC dc = msg == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wp) : GetDC(hwnd);
                DrawPressedArrow(hwnd, dc, self->Pressed());
                if (msg == WM_PAINT) {
                    ReleaseDC(hwnd, dc);
                }
            }
            return result;
        }
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
