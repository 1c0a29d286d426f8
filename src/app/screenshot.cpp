#include "app/screenshot.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <cstdio>
#include <utility>

#include "app/vexilo_dlg.h"
#include "ui/qt_backend.h"

namespace vexilo {

namespace {

void PrintLine(const QString& line) {
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<std::size_t>(utf8.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);  // the process may end at once after a forced close
}

void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

}  // namespace

void UseOffscreenPlatformWithoutDisplay() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

ScreenshotRun::ScreenshotRun(QString dir) : m_dir(std::move(dir)) {}

ScreenshotRun::~ScreenshotRun() {
    if (m_started) {
        ui::SetMessageBoxHandler(std::move(m_previous));
    }
}

QString ScreenshotRun::Escape(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return out;
}

bool ScreenshotRun::Start(QString* error) {
    if (!m_dir.isEmpty() && !QDir().mkpath(m_dir)) {
        *error = QStringLiteral("cannot create the directory %1").arg(m_dir);
        return false;
    }
    m_previous = ui::SetMessageBoxHandler(
        [this](ui::Dialog* owner, const std::string& text, const std::string& caption,
               unsigned style) { return OnMessageBox(owner, text, caption, style); });
    m_started = true;
    return true;
}

int ScreenshotRun::OnMessageBox(ui::Dialog* owner, const std::string& text,
                                const std::string& caption, unsigned style) {
    const int n = ++m_boxes;
    if (!m_dir.isEmpty()) {
        // The box as the panel shows it, shown without waiting for an answer.
        QMessageBox box(owner != nullptr ? ui::qt::Window(*owner) : nullptr);
        ui::qt::SetUpMessageBox(box, text, caption, style);
        box.show();
        Settle();
        Save(box.grab(), QStringLiteral("box-%1.png").arg(n));
        box.hide();
    }
    PrintLine(QStringLiteral("box %1: %2: %3")
                  .arg(n)
                  .arg(QString::fromStdString(caption), Escape(QString::fromStdString(text))));
    return ui::DefaultAnswer(style);
}

void ScreenshotRun::Run(CVexiloDlg& dlg) {
    ui::TabCtrl& tab = dlg.TabControl();
    int k = 0;
    while (k < tab.GetItemCount()) {
        if (!dlg.ShowTabAsClicked(k)) {
            continue;  // the converter did not answer and its tab is gone: the next one moved up
        }
        Settle();
        const int shot = ++m_tabs;
        if (!m_dir.isEmpty()) {
            Save(ui::qt::Window(dlg)->grab(), QStringLiteral("tab-%1.png").arg(shot));
        }
        PrintLine(
            QStringLiteral("tab %1: %2").arg(shot).arg(QString::fromStdString(tab.GetItemText(k))));
        ++k;
    }
    dlg.EndDialog(ui::kIdCancel);
}

void ScreenshotRun::SaveProgress(QWidget& window) {
    if (m_progressSaved || m_dir.isEmpty()) {
        return;
    }
    m_progressSaved = true;
    Save(window.grab(), QStringLiteral("progress.png"));
}

void ScreenshotRun::Save(const QPixmap& shot, const QString& name) {
    const QString path = QDir(m_dir).filePath(name);
    if (!shot.save(path, "PNG")) {
        std::fprintf(stderr, "vexilo-panel: cannot write %s\n", qPrintable(path));
        m_failed = true;
    }
}

}  // namespace vexilo
