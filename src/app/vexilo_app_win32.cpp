// Start-up on Windows: the busy cursor, the progress window and the hotplug watcher around the
// main window's modal loop.
#include "ui/win32_backend.h"

#include <memory>
#include <utility>

#include "app/hotplug_watcher.h"
#include "app/shell_logic.h"
#include "app/startup_progress_win32.h"
#include "app/startup_text.h"
#include "app/vexilo_app.h"
#include "app/vexilo_dlg.h"
#include "discovery/device_monitor.h"
#include "serial/wait_observer.h"

namespace vexilo {

namespace {

// The hourglass while a converter command runs on the user-interface thread.
class BusyCursor : public IWaitObserver {
public:
    void CommandStarted() override {
        if (m_depth++ == 0) {
            m_previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        }
    }
    void StillWaiting() override {}
    void CommandFinished() override {
        if (m_depth > 0 && --m_depth == 0) {
            SetCursor(m_previous != nullptr ? m_previous : LoadCursorW(nullptr, IDC_ARROW));
        }
    }
    // True while a converter command runs (hotplug changes wait until it has returned).
    bool InCommand() const { return m_depth > 0; }

private:
    int m_depth = 0;
    HCURSOR m_previous = nullptr;
};

}  // namespace

bool CVexiloApp::InitInstance(const std::vector<std::string>& args) {
    m_bShowSave = HasShowSaveSwitch(args);
    BusyCursor busy;
    IWaitObserver* const previous = SetWaitObserver(&busy);
    StartupProgressWindow progress(m_launchMs);
    if (m_onProgressShown) {
        progress.m_onShown = [this](HWND window) { m_onProgressShown(window); };
    }
    // Watching starts before the first enumeration, so no converter slips in between.
    std::unique_ptr<CDeviceMonitor> monitor = OpenDeviceMonitor();
    {
        // Finds and attaches the converters, or ends its loop after its message.
        CVexiloDlg dlg(m_bShowSave, m_factory);
        // Pages change only from the window's own loop once start-up is over, never under a
        // message box or inside a command.
        HotplugWatcher hotplug(dlg, std::move(monitor), [&busy] { return !busy.InCommand(); });
        dlg.m_onStartupProgress = [&progress](const std::string& label, int done, int total) {
            if (!label.empty()) {
                progress.Step(label, done, total);
                if (progress.Poll()) {
                    UpdateWindow(progress.Handle());
                }
                return;
            }
            progress.Finish();
        };
        dlg.m_onStartupWait = FollowStartupWait(progress, &StartupProgressWindow::PumpMessages);
        dlg.m_onStarted = m_onRunning;
        dlg.DoModal();
    }  // the pages go with the window, closing their ports
    SetWaitObserver(previous);
    return false;
}

}  // namespace vexilo
