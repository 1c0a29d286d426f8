#pragma once

#include <QString>
#include <string>

#include "ui/message_box.h"

class QPixmap;
class QWidget;

namespace vexilo {

class CVexiloDlg;

// The screenshot mode: every message box is saved as DIR/box-<n>.png, printed as
// "box <n>: <caption>: <text>" and answered with its default button; once the main window runs,
// each tab is shown in turn as the user would show it (with its connection check), saved as
// DIR/tab-<k>.png and printed as "tab <k>: <caption>", and the window then ends.
// The start-up progress window, when it appears, is saved once as DIR/progress.png.
// Without a directory it saves no pictures and only prints (the tab walk that times start-up).
class ScreenshotRun {
public:
    explicit ScreenshotRun(QString dir = QString());
    ~ScreenshotRun();
    ScreenshotRun(const ScreenshotRun&) = delete;
    ScreenshotRun& operator=(const ScreenshotRun&) = delete;

    // Creates the directory, if any, and takes over the message boxes; false with `error` set
    // when the directory cannot be made.
    bool Start(QString* error);
    // Shows, saves and prints every tab, then ends the main window's modal loop.
    void Run(CVexiloDlg& dlg);
    // Saves the start-up progress window as DIR/progress.png, the first time only.
    void SaveProgress(QWidget& window);
    // A picture could not be written (each failure was reported on standard error).
    bool Failed() const { return m_failed; }

    // One output line: newlines in `text` as the two characters \n.
    static QString Escape(const QString& text);

private:
    int OnMessageBox(ui::Dialog* owner, const std::string& text, const std::string& caption,
                     unsigned style);
    void Save(const QPixmap& shot, const QString& name);

    QString m_dir;
    int m_boxes = 0;
    int m_tabs = 0;
    bool m_failed = false;
    bool m_started = false;
    bool m_progressSaved = false;
    ui::MessageBoxHandler m_previous;
};

// Makes Qt draw off screen when no display is there to draw on.
void UseOffscreenPlatformWithoutDisplay();

}  // namespace vexilo
