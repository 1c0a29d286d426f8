#pragma once

#include "ui/win32_backend.h"

#include <string>

#include "app/screenshot_walk.h"

namespace vexilo {

// The screenshot mode on Windows (see ScreenshotWalk): pictures copied from the screen (BitBlt)
// and written as PNG through WIC; a message box is really shown, photographed from its own loop
// and answered with its default button.
class Win32ScreenshotRun : public ScreenshotWalk {
public:
    explicit Win32ScreenshotRun(std::string dir) : ScreenshotWalk(std::move(dir)) {}

    // Saves the start-up progress window as DIR/progress.png, the first time only.
    void SaveProgress(HWND window);

private:
    void Settle(CVexiloDlg& dlg) override;
    bool SaveTab(CVexiloDlg& dlg, const std::filesystem::path& path) override;
    void SaveBox(ui::Dialog* owner, const std::string& text, const std::string& caption,
                 unsigned style, int answer, const std::filesystem::path& path) override;
};

}  // namespace vexilo
