#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/page_factory.h"

namespace vexilo {

class CVexiloDlg;
class StartupProgress;

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
// The platform's part of --help: where the converters are, and the options up to --help.
std::string UsagePlatformText();
// The command line's part of main on every platform: parses `args` into `options`; for a wrong
// line (2) or --help / --version (0) prints and returns the exit code, else nothing.
std::optional<int> HandleCommandLine(const std::vector<std::string>& args, AppOptions* options);
std::string PanelVersionText();

// The application object: reads the switch, runs the main window as a modal dialog and ends
// with it. The window ends its own loop (no usable converter, last tab closed); nothing ends the
// process but main's return.
class CVexiloApp {
public:
    explicit CVexiloApp(PageFactory factory);

    // Start-up as a whole: the switch, the main window, its modal loop, its destruction.
    // Returns false: nothing is left to run once the window has gone.
    bool InitInstance(const std::vector<std::string>& args);

    bool m_bShowSave = false;
    // Called once the main window's modal loop runs (the screenshot mode drives the window).
    std::function<void(CVexiloDlg&)> m_onRunning;
    // Milliseconds since the program was launched; the start-up progress window appears only
    // when start-up is still running 300 ms after launch. By default counted from construction.
    std::function<long long()> m_launchMs;
    // Called once when the start-up progress window first appears, with its window (a QWidget*
    // on Qt, an HWND on Windows).
    std::function<void(void* window)> m_onProgressShown;
    // Called when start-up is over (Qt only: the benchmark's first-paint time).
    std::function<void(const StartupProgress&)> m_onStartupFinished;

private:
    PageFactory m_factory;
};

}  // namespace vexilo
