#include "app/screenshot.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>

#include "app/vexilo_dlg.h"
#include "ui/qt_backend.h"

namespace vexilo {

namespace {

bool SavePng(const QPixmap& shot, const std::filesystem::path& path) {
    return shot.save(QString::fromLocal8Bit(path.c_str()), "PNG");
}

}  // namespace

void UseOffscreenPlatformWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

void ScreenshotRun::Settle(CVexiloDlg&) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

bool ScreenshotRun::SaveTab(CVexiloDlg& dlg, const std::filesystem::path& path) {
    return SavePng(ui::qt::Window(dlg)->grab(), path);
}

void ScreenshotRun::SaveBox(ui::Dialog* owner, const std::string& text, const std::string& caption,
                            unsigned style, int, const std::filesystem::path& path) {
    // The box as the panel shows it, shown without waiting for an answer.
    QMessageBox box(owner != nullptr ? ui::qt::Window(*owner) : nullptr);
    ui::qt::SetUpMessageBox(box, text, caption, style);
    box.show();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    Written(SavePng(box.grab(), path), path);
    box.hide();
}

void ScreenshotRun::SaveProgress(QWidget& window) {
    if (ProgressDue()) {
        const std::filesystem::path path = PathOf("progress.png");
        Written(SavePng(window.grab(), path), path);
    }
}

}  // namespace vexilo
