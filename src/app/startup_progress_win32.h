#pragma once

#include "ui/win32_backend.h"

#include <functional>
#include <string>
#include <vector>

#include "app/parallel_startup.h"

namespace vexilo {

// The start-up progress window on Win32, as the Qt one: the converters being contacted, how many
// are done, each converter's state while they are read at once, and a button to go on with those
// that are ready; closing it ends the program. It appears only once start-up has run for
// kShowAfterMs since launch and goes when the main window appears.
class StartupProgressWindow {
public:
    // `launchMs` says how long ago the program was launched, in milliseconds.
    explicit StartupProgressWindow(std::function<long long()> launchMs);
    ~StartupProgressWindow();
    StartupProgressWindow(const StartupProgressWindow&) = delete;
    StartupProgressWindow& operator=(const StartupProgressWindow&) = delete;

    void Step(const std::string& portLabel, int done, int total);
    void ShowConverters(const std::vector<StartupRow>& rows);
    StartupChoice Choice() const { return m_choice; }
    // Shows the window once kShowAfterMs have passed since launch; true when it is showing.
    bool Poll();
    // Start-up is over: the window goes and never comes back.
    void Finish();
    // Runs the messages waiting, for the window's clicks and painting.
    static void PumpMessages();

    bool WasShown() const { return m_shown; }
    HWND Handle() const { return m_hwnd; }
    // Called once, right after the window first appeared (the screenshot mode saves it).
    std::function<void(HWND)> m_onShown;

    static constexpr int kShowAfterMs = 300;

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    void Layout();

    std::function<long long()> m_launchMs;
    HWND m_hwnd = nullptr;
    HWND m_port = nullptr;
    HWND m_count = nullptr;
    HWND m_bar = nullptr;
    HWND m_converters = nullptr;
    HWND m_goOn = nullptr;
    HFONT m_font = nullptr;
    int m_lineHeight = 16;
    int m_converterLines = 0;
    bool m_listShown = false;  // the converters' list and the button (the window may be hidden)
    StartupChoice m_choice = StartupChoice::kWait;
    bool m_shown = false;
    bool m_finished = false;
};

}  // namespace vexilo
