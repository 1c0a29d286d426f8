#pragma once

#include <filesystem>
#include <string>

#include "ui/message_box.h"

namespace vexilo {

class CVexiloDlg;

// The screenshot mode, the same on every platform: every message box is printed as
// "box <n>: <caption>: <text>", saved as DIR/box-<n>.png and answered with its default button;
// once the main window runs, each tab is shown in turn as the user would show it (with its
// connection check), saved as DIR/tab-<k>.png and printed as "tab <k>: <caption>", and the window
// then ends. The start-up progress window, when it appears, is saved once as DIR/progress.png.
// Without a directory it saves no pictures and only prints (the tab walk that times start-up).
// The toolkit's part is how a window settles and how a picture is taken.
class ScreenshotWalk {
public:
    explicit ScreenshotWalk(std::string dir) : m_dir(std::move(dir)) {}
    virtual ~ScreenshotWalk();  // gives the message boxes back
    ScreenshotWalk(const ScreenshotWalk&) = delete;
    ScreenshotWalk& operator=(const ScreenshotWalk&) = delete;

    // Creates the directory, if any, and takes over the message boxes; false with `error` set
    // when the directory cannot be made.
    bool Start(std::string* error);
    // Shows, saves and prints every tab, then ends the main window's modal loop.
    void Run(CVexiloDlg& dlg);
    // A picture could not be written (each failure was reported on standard error).
    bool Failed() const { return m_failed; }

    // One output line: newlines in `text` as the two characters \n.
    static std::string Escape(const std::string& text);

protected:
    // Lets the window handle what is queued and paint.
    virtual void Settle(CVexiloDlg& dlg) = 0;
    // Writes the window as it shows now to `path`; false when it could not.
    virtual bool SaveTab(CVexiloDlg& dlg, const std::filesystem::path& path) = 0;
    // Shows the box as the panel does, writes its picture to `path` and answers it with `answer`.
    virtual void SaveBox(ui::Dialog* owner, const std::string& text, const std::string& caption,
                         unsigned style, int answer, const std::filesystem::path& path) = 0;

    // True the first time the progress window appears in a run that saves pictures.
    bool ProgressDue();
    std::filesystem::path PathOf(const std::string& name) const;
    // Reports a picture that could not be written; the run then fails.
    void Written(bool ok, const std::filesystem::path& path);

private:
    int OnMessageBox(ui::Dialog* owner, const std::string& text, const std::string& caption,
                     unsigned style);

    std::string m_dir;
    int m_boxes = 0;
    int m_tabs = 0;
    bool m_failed = false;
    bool m_started = false;
    bool m_progressSaved = false;
    ui::MessageBoxHandler m_previous;
};

}  // namespace vexilo
