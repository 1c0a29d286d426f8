#include "app/vexilo_app.h"

#include <QElapsedTimer>
#include <QThread>
#include <memory>
#include <utility>

#include "app/busy_feedback.h"
#include "app/hotplug_watcher.h"
#include "app/shell_logic.h"
#include "app/startup_progress.h"
#include "app/vexilo_dlg.h"

namespace vexilo {

bool ParseAppOptions(const std::vector<std::string>& args, AppOptions* options,
                     std::string* error) {
    *options = AppOptions{};
    options->showSave = HasShowSaveSwitch(args);
    const std::string prefix = "--screenshot=";
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--demo") {
            options->demo = true;
        } else if (a == "--walk-tabs") {
            options->walkTabs = true;
        } else if (a == "--screenshot") {
            if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].rfind("--", 0) == 0) {
                *error = "--screenshot needs a directory";
                return false;
            }
            options->screenshot = true;
            options->screenshotDir = args[++i];
        } else if (a.compare(0, prefix.size(), prefix) == 0) {
            if (a.size() == prefix.size()) {
                *error = "--screenshot needs a directory";
                return false;
            }
            options->screenshot = true;
            options->screenshotDir = a.substr(prefix.size());
        }
    }
    return true;
}

CVexiloApp::CVexiloApp(PageFactory factory) : m_factory(std::move(factory)) {
    auto launch = std::make_shared<QElapsedTimer>();
    launch->start();
    m_launchMs = [launch] { return launch->elapsed(); };
}

bool CVexiloApp::InitInstance(const std::vector<std::string>& args) {
    m_bShowSave = HasShowSaveSwitch(args);
    QElapsedTimer clock;
    clock.start();
    BusyFeedback busy([&clock] { return clock.elapsed(); });
    StartupProgress progress(m_launchMs);
    progress.m_onShown = m_onProgressShown;
    busy.SetProgress(&progress);
    IWaitObserver* const previous = SetWaitObserver(&busy);
    // Watching starts before the first enumeration, so no converter slips in between.
    std::unique_ptr<CDeviceMonitor> monitor = OpenDeviceMonitor();
    {
        // Finds and attaches the converters, or ends the process after its message.
        CVexiloDlg dlg(m_bShowSave, m_factory);
        // Pages change only from the window's own loop (level 1), never under a message box or
        // inside a command.
        HotplugWatcher hotplug(dlg, std::move(monitor), [&busy] {
            return !busy.InCommand() && QThread::currentThread()->loopLevel() <= 1;
        });
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
        dlg.m_onStarted = m_onRunning;
        // Saving or reverting already happened in the button handlers.
        dlg.DoModal();
    }  // the pages go with the window, closing their ports
    SetWaitObserver(previous);
    return false;
}

}  // namespace vexilo
