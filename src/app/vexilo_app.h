#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/page_factory.h"

namespace vexilo {

class CVexiloDlg;

// What the command line asks for. "/s" belongs to the panel itself, --lang picks its language;
// --demo and --screenshot DIR serve demonstrations and documentation, --help and --version print
// and end. Anything else is ignored.
struct AppOptions {
    bool showSave = false;  // "/s"
    bool demo = false;      // --demo: three simulated converters in place of the real ones
    bool screenshot = false;
    std::string screenshotDir;  // --screenshot DIR or --screenshot=DIR
    // --walk-tabs (not advertised): the tab walk of the screenshot mode without pictures, for
    // timing the start-up.
    bool walkTabs = false;
    std::string lang;      // --lang ja|en: the language instead of the system locale's
    bool help = false;     // -h, --help
    bool version = false;  // --version
};

// Reads the arguments after the program name (args[0]). False, with `error` set, when
// --screenshot has no directory or --lang names no language of the panel.
bool ParseAppOptions(const std::vector<std::string>& args, AppOptions* options, std::string* error);

// The text of --help and of --version.
std::string PanelUsage();
std::string PanelVersionText();

// The application object: reads the switch, runs the main window as a modal dialog and ends
// with it. The main window may end the process itself (no usable converter, last tab closed).
class CVexiloApp {
public:
    explicit CVexiloApp(PageFactory factory);

    // Start-up as a whole: the switch, the main window, its modal loop, its destruction.
    // Returns false: nothing is left to run once the window has gone.
    bool InitInstance(const std::vector<std::string>& args);

    bool m_bShowSave = false;
    // Called once the main window's modal loop runs (the screenshot mode drives the window).
    std::function<void(CVexiloDlg&)> m_onRunning;

private:
    PageFactory m_factory;
};

}  // namespace vexilo
