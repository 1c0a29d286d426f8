// Message boxes on MessageBoxW.
#include <algorithm>

#include "ui/backend.h"
#include "ui/message_box.h"
#include "ui/win32_backend.h"

namespace vexilo::ui {

namespace {

// The text with its lines broken between phrases in the box's own font, so that MessageBoxW,
// which breaks anywhere, never splits a word.
std::string BrokenForBox(const std::string& text) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return text;
    }
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const std::string broken = BreakAtPhrases(
        text,
        [dc](std::string_view part) {
            const std::wstring wide = win32::Wide(std::string(part));
            SIZE size{};
            GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
            return static_cast<int>(size.cx);
        },
        // The rule is in pixels of a 96-dpi screen; the box's font grows with the DPI.
        MulDiv(BoxLineWidth(MulDiv(work.right - work.left, 96, win32::SystemDpi())),
               win32::SystemDpi(), 96));
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return broken;
}

// The box being watched on this thread, and who is told once it is on screen.
thread_local HHOOK g_hook = nullptr;
thread_local std::function<void(HWND)>* g_onShown = nullptr;

LRESULT CALLBACK WatchBox(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_ACTIVATE && g_onShown != nullptr) {
        wchar_t name[16] = {};
        GetClassNameW(reinterpret_cast<HWND>(wp), name, 16);
        if (lstrcmpW(name, L"#32770") == 0) {
            // Told from the box's own loop, once it has been shown and painted.
            PostToEventLoop([box = reinterpret_cast<HWND>(wp), fn = *g_onShown] { fn(box); });
            g_onShown = nullptr;
        }
    }
    return CallNextHookEx(g_hook, code, wp, lp);
}

}  // namespace

int ShowToolkitMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                          unsigned style) {
    return win32::ShowWatchedMessageBox(owner, text, caption, style, nullptr);
}

int win32::ShowWatchedMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                                 unsigned style, std::function<void(HWND)> onShown) {
    HWND parent = owner != nullptr ? Window(*owner) : nullptr;
    // Owned by the top-level window, so that the whole window waits for the answer.
    if (parent != nullptr) {
        parent = GetAncestor(parent, GA_ROOT);
    }
    // A box may open inside another's loop: each one watches only its own, then gives the outer
    // one its watch back.
    const HHOOK outerHook = g_hook;
    std::function<void(HWND)>* const outerOnShown = g_onShown;
    HHOOK hook = nullptr;
    if (onShown) {
        g_onShown = &onShown;
        hook = SetWindowsHookExW(WH_CBT, WatchBox, nullptr, GetCurrentThreadId());
        g_hook = hook;
    }
    EnterLoop();
    const int pressed = MessageBoxW(parent, Wide(BrokenForBox(text)).c_str(), Wide(caption).c_str(),
                                    style | MB_SETFOREGROUND);
    LeaveLoop();
    if (hook != nullptr) {
        UnhookWindowsHookEx(hook);
    }
    g_hook = outerHook;
    g_onShown = outerOnShown;
    if (!IsYesNo(style)) {
        return kIdOk;
    }
    return pressed == IDYES ? kIdYes : kIdNo;
}

}  // namespace vexilo::ui
