#pragma once

// The dialog kit's Win32 backend, for the application's Windows files and for tests only; pages
// never include it. It hands out the windows behind dialogs and controls and converts texts
// between the kit's UTF-8 and Windows' UTF-16.
#include <windows.h>
// The kit's members of these names are the same in every file, with or without windows.h.
#undef GetDlgItemText
#undef GetWindowText
#undef SetDlgItemText
#undef SetWindowText

#include <functional>
#include <string>

#include "ui/dialog.h"
#include "ui/dialog_units.h"
#include "ui/tab_ctrl.h"
#include "ui/updown.h"

namespace vexilo::ui::win32 {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
// The text of any window, as UTF-8.
std::string WindowText(HWND hwnd);

// The screen's pixels per inch (96 at 100 %), read once: the program is DPI-aware per system.
int SystemDpi();
// A new font for `font` (the caller deletes it): its first installed family at its pixel size,
// scaled from 96 dpi to the screen's.
HFONT MakeFont(const FontSpec& font);

// The dialog's window (null before it is built).
HWND Window(const Dialog& dialog);
// The window of control `id`, null when there is none.
HWND Item(const Dialog& dialog, int id);

// The hidden window that carries the kit's timers and posted calls.
HWND MessageWindow();

// Lets the dialogs see a message before it is dispatched (their keys, Ctrl+Tab, Tab between
// controls); true when it was handled. Every message loop of the program calls it.
bool PreTranslate(MSG& msg);
// Runs the message loop until `done` holds or the thread's quit message arrives (returns false).
bool RunLoopUntil(const bool& done);

// Counts the event loops running on this thread (EventLoopLevel): modal loops and boxes.
void EnterLoop();
void LeaveLoop();

// Shows a box as the kit's default handler does and calls `onShown` with the box's window from
// the box's own loop once it is on screen (the screenshot mode photographs it, then presses a
// button). Returns the kId... answer.
int ShowWatchedMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                          unsigned style, std::function<void(HWND)> onShown);

// Translations: English from the table built from the program's translation file, or the
// Japanese source texts.
void UseEnglish(bool english);

// The tab control on WC_TABCONTROL; its pages are child windows of the control.
class TabCtrlWindow : public TabCtrl {
public:
    explicit TabCtrlWindow(HWND hwnd) : m_hwnd(hwnd) {}

    int InsertItem(int index, const std::string& text) override;
    bool DeleteItem(int index) override;
    int GetItemCount() const override;
    std::string GetItemText(int index) const override;
    int GetCurSel() const override;
    int SetCurSel(int index) override;
    Rect GetItemRect(int index) const override;
    Rect GetClientRect() const override;
    void PlacePage(Dialog& page) override;
    int RowHeight() const override;
    void Repaint() override;

    HWND Handle() const { return m_hwnd; }
    // The window the pages live in: the tab control's display area, which scrolls when a page
    // is larger than it (the window was shrunk to fit the screen). Made at the first call.
    HWND PageArea();
    // The user picked a tab (TCN_SELCHANGE).
    void OnNativeSelChange();

protected:
    bool IsControlEnabled() const override;
    void SelectByUser(int index) override;

private:
    HWND m_hwnd;
    HWND m_area = nullptr;
    bool m_noSelection = false;  // the selected item was deleted
};

// The up-down control on UPDOWN_CLASS: the native control draws the arrows, the kit's rules step
// and repeat (one click is one step; repeat only while the button is held).
class UpDownWindow : public UpDown {
public:
    UpDownWindow(HWND hwnd, HWND buddy, bool setBuddyInt, bool arrowKeys);
    ~UpDownWindow() override;

    HWND Handle() const { return m_hwnd; }

protected:
    bool IsControlEnabled() const override;
    void ShowPosInBuddy(int pos) override;
    void Redraw() override;

private:
    static LRESULT CALLBACK SpinProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK BuddyProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    HWND m_hwnd;
    HWND m_buddy;
    bool m_setBuddyInt;
    bool m_arrowKeys;
};

}  // namespace vexilo::ui::win32
