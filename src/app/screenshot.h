#pragma once

#include <string>

#include "app/screenshot_walk.h"

class QPixmap;
class QWidget;

namespace vexilo {

// The screenshot mode on Qt (see ScreenshotWalk): pictures grabbed from the widgets, drawn off
// screen when there is no display.
class ScreenshotRun : public ScreenshotWalk {
public:
    explicit ScreenshotRun(std::string dir = std::string()) : ScreenshotWalk(std::move(dir)) {}

    // Saves the start-up progress window as DIR/progress.png, the first time only.
    void SaveProgress(QWidget& window);

private:
    void Settle(CVexiloDlg& dlg) override;
    bool SaveTab(CVexiloDlg& dlg, const std::filesystem::path& path) override;
    void SaveBox(ui::Dialog* owner, const std::string& text, const std::string& caption,
                 unsigned style, int answer, const std::filesystem::path& path) override;
};

// Makes Qt draw off screen when no display is there to draw on.
void UseOffscreenPlatformWithoutDisplay();

}  // namespace vexilo
