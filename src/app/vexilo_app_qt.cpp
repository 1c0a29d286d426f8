// Start-up on Qt: the busy cursor, the progress window and the hotplug watcher around the main
// window's modal loop.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>
#include <utility>

#include "app/busy_feedback.h"
#include "app/hotplug_watcher.h"
#include "app/shell_logic.h"
#include "app/startup_progress.h"
#include "app/startup_text.h"
#include "app/vexilo_app.h"
#include "app/vexilo_dlg.h"
#include "discovery/devices.h"

namespace vexilo {

bool CVexiloApp::InitInstance(const std::vector<std::string>& args) {
    m_bShowSave = HasShowSaveSwitch(args);
    QElapsedTimer clock;
    clock.start();
    BusyFeedback busy([&clock] { return clock.elapsed(); });
    StartupProgress progress(m_launchMs);
    if (m_onProgressShown) {
        progress.m_onShown = [this](QWidget& window) { m_onProgressShown(&window); };
    }
    busy.SetProgress(&progress);
    IWaitObserver* const previous = SetWaitObserver(&busy);
    // Watching starts before the first enumeration, so no converter slips in between.
    std::unique_ptr<CDeviceMonitor> monitor = OpenDeviceMonitor();
    {
        // Finds and attaches the converters, or ends the process after its message.
        CVexiloDlg dlg(m_bShowSave, m_factory);
        // Live during start-up already, so nothing is missed; but pages change only from the
        // window's own loop once start-up is over, never under a message box or inside a
        // command.
        HotplugWatcher hotplug(dlg, std::move(monitor), [&busy] { return !busy.InCommand(); });
        dlg.m_onStartupProgress = [&](const std::string& label, int done, int total) {
            progress.Step(QString::fromStdString(label), done, total);
            if (!label.empty()) {
                if (progress.Poll()) {
                    busy.Repaint();
                }
                return;
            }
            busy.SetProgress(nullptr);
            progress.Finish();
            if (m_onStartupFinished) {
                m_onStartupFinished(progress);
            }
        };
        dlg.m_onStartupWait = FollowStartupWait(
            progress, [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
        dlg.m_onStarted = m_onRunning;
        // Saving or reverting already happened in the button handlers.
        dlg.DoModal();
    }  // the pages go with the window, closing their ports
    SetWaitObserver(previous);
    return false;
}

}  // namespace vexilo
