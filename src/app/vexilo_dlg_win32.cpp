// The main window's decoration on Win32: icon, logo and notes.
#include "ui/win32_backend.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include "app/vexilo_dlg.h"
#include "resource.h"

namespace vexilo {

namespace {

class Win32Decor : public CVexiloDlg::Decor {
public:
    explicit Win32Decor(CVexiloDlg& dlg) : m_dlg(dlg) {}
    ~Win32Decor() override {
        if (m_hooked != nullptr && IsWindow(m_hooked)) {
            RemoveWindowSubclass(m_hooked, PaintLogo, 1);
        }
        if (m_logo != nullptr) {
            DeleteObject(m_logo);
        }
    }
    Win32Decor(const Win32Decor&) = delete;
    Win32Decor& operator=(const Win32Decor&) = delete;

    void SetIcon() override {
        HWND window = ui::win32::Window(m_dlg);
        HINSTANCE instance = GetModuleHandleW(nullptr);
        HICON big = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
        if (window != nullptr && big != nullptr) {
            SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
            SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(big));
        }
    }
    void LoadLogo() override {
        HWND window = ui::win32::Window(m_dlg);
        m_logo =
            static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_LOGO),
                                            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        if (m_logo == nullptr || window == nullptr) {
            return;
        }
        GetObjectW(m_logo, sizeof(m_bitmap), &m_bitmap);
        SetWindowSubclass(window, PaintLogo, 1, reinterpret_cast<DWORD_PTR>(this));
        m_hooked = window;
        InvalidateRect(window, nullptr, TRUE);
    }
    int LogoWidth() const override { return m_logo != nullptr ? Scaled(m_bitmap.bmWidth) : 0; }

    void MakeBusyNote() override { m_busy = MakeLabel(ui::win32::Window(m_dlg), SS_LEFT); }
    bool HasBusyNote() const override { return m_busy != nullptr; }
    void SetBusyNote(const std::string& text, const ui::Rect* where) override {
        if (m_busy == nullptr) {
            return;
        }
        SetWindowTextW(m_busy, ui::win32::Wide(text).c_str());
        if (where != nullptr) {
            MoveWindow(m_busy, where->x, where->y, where->width, where->height, TRUE);
        }
        ShowWindow(m_busy, text.empty() ? SW_HIDE : SW_SHOWNA);
    }
    std::string BusyNoteText() const override { return ShownText(m_busy); }

    void ShowWaitNote(const std::string& text, ui::TabCtrl& tab) override {
        auto* native = dynamic_cast<ui::win32::TabCtrlWindow*>(&tab);
        if (native == nullptr) {
            return;
        }
        if (m_wait == nullptr) {
            m_wait = MakeLabel(native->Handle(), SS_CENTER);
        }
        const ui::Rect r = tab.GetClientRect();
        const int top = tab.RowHeight();
        // Above the page area, which covers the control's display area once a page was made.
        SetWindowPos(m_wait, HWND_TOP, r.x, r.y + top + (r.height - top) / 3, r.width,
                     (r.height - top) / 2, SWP_NOACTIVATE);
        SetWindowTextW(m_wait, ui::win32::Wide(text).c_str());
        ShowWindow(m_wait, SW_SHOWNA);
    }
    void HideWaitNote() override {
        if (m_wait != nullptr) {
            ShowWindow(m_wait, SW_HIDE);
        }
    }
    std::string WaitNoteText() const override { return ShownText(m_wait); }

    void SetSaveNote(const std::string& text, const ui::Rect& where) override {
        if (m_save == nullptr) {
            m_save = MakeLabel(ui::win32::Window(m_dlg), SS_RIGHT);
        }
        if (m_save == nullptr) {
            return;
        }
        SetWindowTextW(m_save, ui::win32::Wide(text).c_str());
        if (!text.empty()) {
            MoveWindow(m_save, where.x, where.y, where.width, where.height, TRUE);
        }
        ShowWindow(m_save, text.empty() ? SW_HIDE : SW_SHOWNA);
    }
    std::string SaveNoteText() const override {
        return m_save != nullptr ? ui::win32::WindowText(m_save) : std::string();
    }

private:
    static int Scaled(int pixels) { return ui::MulDiv(pixels, ui::win32::SystemDpi(), 96); }
    // A hidden static in the window's font.
    static HWND MakeLabel(HWND parent, DWORD align) {
        if (parent == nullptr) {
            return nullptr;
        }
        HWND label = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_NOPREFIX | align, 0, 0, 0, 0,
                                     parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        HWND root = GetAncestor(parent, GA_ROOT);
        SendMessageW(label, WM_SETFONT, SendMessageW(root, WM_GETFONT, 0, 0), FALSE);
        return label;
    }
    static std::string ShownText(HWND label) {
        return label != nullptr && IsWindowVisible(label) ? ui::win32::WindowText(label)
                                                          : std::string();
    }
    // Draws the logo on the background, under the controls, white left out.
    static LRESULT CALLBACK PaintLogo(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                      DWORD_PTR data) {
        const LRESULT result = DefSubclassProc(hwnd, msg, wp, lp);
        if (msg == WM_ERASEBKGND) {
            const auto* self = reinterpret_cast<const Win32Decor*>(data);
            RECT client{};
            GetClientRect(hwnd, &client);
            HDC dc = reinterpret_cast<HDC>(wp);
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, self->m_logo);
            const int w = self->m_bitmap.bmWidth;
            const int h = self->m_bitmap.bmHeight;
            // Drawn at the screen's scale, as the fonts are.
            TransparentBlt(dc, CVexiloDlg::kLogoMargin,
                           client.bottom - Scaled(h) - CVexiloDlg::kLogoMargin, Scaled(w),
                           Scaled(h), mem, 0, 0, w, h, RGB(255, 255, 255));
            SelectObject(mem, old);
            DeleteDC(mem);
        }
        return result;
    }

    CVexiloDlg& m_dlg;
    HBITMAP m_logo = nullptr;
    BITMAP m_bitmap{};
    HWND m_hooked = nullptr;
    HWND m_busy = nullptr;
    HWND m_wait = nullptr;
    HWND m_save = nullptr;
};

}  // namespace

std::unique_ptr<CVexiloDlg::Decor> CVexiloDlg::MakeDecor(CVexiloDlg& dlg) {
    return std::make_unique<Win32Decor>(dlg);
}

}  // namespace vexilo
