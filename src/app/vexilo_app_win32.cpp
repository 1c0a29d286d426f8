// Start-up on Windows: the main window's modal loop, with the busy cursor while a converter
// command waits.
#include <utility>

#include "app/shell_logic.h"
#include "app/vexilo_app.h"
#include "app/vexilo_dlg.h"
#include "serial/wait_observer.h"
#include "ui/win32_backend.h"

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

private:
    int m_depth = 0;
    HCURSOR m_previous = nullptr;
};

}  // namespace

bool CVexiloApp::InitInstance(const std::vector<std::string>& args) {
    m_bShowSave = HasShowSaveSwitch(args);
    BusyCursor busy;
    IWaitObserver* const previous = SetWaitObserver(&busy);
    {
        // Finds and attaches the converters, or ends its loop after its message.
        CVexiloDlg dlg(m_bShowSave, m_factory);
        dlg.m_onStarted = m_onRunning;
        dlg.DoModal();
    }  // the pages go with the window, closing their ports
    SetWaitObserver(previous);
    return false;
}

}  // namespace vexilo
