#include "app/vexilo_app.h"

#include <utility>

#include "app/shell_logic.h"
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

CVexiloApp::CVexiloApp(PageFactory factory) : m_factory(std::move(factory)) {}

bool CVexiloApp::InitInstance(const std::vector<std::string>& args) {
    m_bShowSave = HasShowSaveSwitch(args);
    {
        // Finds and attaches the converters, or ends the process after its message.
        CVexiloDlg dlg(m_bShowSave, m_factory);
        dlg.m_onStarted = m_onRunning;
        // Saving or reverting already happened in the button handlers.
        dlg.DoModal();
    }  // the pages go with the window, closing their ports
    return false;
}

}  // namespace vexilo
