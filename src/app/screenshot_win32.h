#pragma once

#include "ui/win32_backend.h"

#include <string>

#include "ui/message_box.h"

namespace vexilo {

class CVexiloDlg;

// The screenshot mode on Windows: every message box is printed as "box <n>: <caption>: <text>",
// saved as DIR/box-<n>.png and answered with its default button; once the main window runs, each
// tab is shown in turn as the user would show it (with its connection check), saved as
// DIR/tab-<k>.png and printed as "tab <k>: <caption>", and the window then ends. The start-up
// progress window, when it appears, is saved once as DIR/progress.png. Without a directory it only
// prints.
class Win32ScreenshotRun {
public:
    explicit Win32ScreenshotRun(std::string dir) : m_dir(std::move(dir)) {}
    ~Win32ScreenshotRun();
    Win32ScreenshotRun(const Win32ScreenshotRun&) = delete;
    Win32ScreenshotRun& operator=(const Win32ScreenshotRun&) = delete;

    // Creates the directory, if any, and takes over the message boxes; false with `error` set
    // when the directory cannot be made.
    bool Start(std::string* error);
    // Shows, saves and prints every tab, then ends the main window's modal loop.
    void Run(CVexiloDlg& dlg);
    // Saves the start-up progress window as DIR/progress.png, the first time only.
    void SaveProgress(HWND window);
    // A picture could not be written (each failure was reported on standard error).
    bool Failed() const { return m_failed; }

private:
    int OnMessageBox(ui::Dialog* owner, const std::string& text, const std::string& caption,
                     unsigned style);
    // The window's client area, or with `whole` its frame and title too.
    void SaveWindow(HWND window, const std::string& name, bool whole);

    std::string m_dir;
    int m_boxes = 0;
    int m_tabs = 0;
    bool m_failed = false;
    bool m_started = false;
    bool m_progressSaved = false;
    ui::MessageBoxHandler m_previous;
};

}  // namespace vexilo
