#include "app/vexilo_app.h"

#include <cstdio>

#include <chrono>
#include <utility>

#include "app/app_version.h"
#include "app/language.h"
#include "app/shell_logic.h"

namespace vexilo {

bool ParseAppOptions(const std::vector<std::string>& args, AppOptions* options,
                     std::string* error) {
    *options = AppOptions{};
    options->showSave = HasShowSaveSwitch(args);
    const std::string prefix = "--screenshot=";
    const std::string langPrefix = "--lang=";
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--lang" || a.compare(0, langPrefix.size(), langPrefix) == 0) {
            const bool joined = a != "--lang";
            const std::string lang =
                joined ? a.substr(langPrefix.size()) : (i + 1 < args.size() ? args[++i] : "");
            if (!ParseLanguage(lang)) {
                *error = "--lang needs ja or en";
                return false;
            }
            options->lang = lang;
        } else if (a == "--demo") {
            options->demo = true;
        } else if (a == "-h" || a == "--help") {
            options->help = true;
        } else if (a == "--version") {
            options->version = true;
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

std::string PanelUsage() {
    std::string text = R"(Usage: vexilo-panel [/s] [--lang ja|en] [--demo] [--screenshot DIR]

Sets up and monitors KTP/Q series USB video converters: finds every attached converter and opens
one tab per converter with its status, settings and identification record. )";
    text += UsagePlatformText();
    text += R"(  -h, --help          print this help and end
  --version           print the version and end
Other arguments are ignored.

Keys:
  F5                  look at once for converters without a tab (a port another program held,
                      a converter that answers again); the panel also looks every 3 seconds

Environment:
  VEXILO_PORTS=KIND=PORT[,KIND=PORT...]
                      also list these serial ports (KIND: dvi, rgb, ntsc or other), such as
                      the converters that vexilo-sim serves
  VEXILO_USB_VENDOR_ID=XXXX
                      look for converters with this USB vendor ID (four hex digits) instead of
                      the built-in )";
    text += BuiltInUsbVendorIdText();
    text += R"(

Exit status:
  0   the window was closed, or no converter was usable (after saying so in a message box)
  1   --screenshot could not make its pictures
  2   the command line is wrong
)";
    return text;
}

std::string PanelVersionText() {
    return "vexilo-panel " + ProductVersionText() + "\n";
}

CVexiloApp::CVexiloApp(PageFactory factory) : m_factory(std::move(factory)) {
    const auto launch = std::chrono::steady_clock::now();
    m_launchMs = [launch] {
        return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - launch)
                                          .count());
    };
}

std::optional<int> HandleCommandLine(const std::vector<std::string>& args, AppOptions* options) {
    std::string error;
    if (!ParseAppOptions(args, options, &error)) {
        std::fprintf(stderr, "vexilo-panel: %s\n", error.c_str());
        return 2;
    }
    // These print and end without a display, a port or a message box.
    if (options->help || options->version) {
        std::fputs((options->help ? PanelUsage() : PanelVersionText()).c_str(), stdout);
        return 0;
    }
    return std::nullopt;
}

}  // namespace vexilo
