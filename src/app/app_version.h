#pragma once

#include <string>

namespace vexilo {

// The product version shown in the window title, as UTF-8: on Windows the "ProductVersion" of
// the executable's version resource (empty when it cannot be read), elsewhere the version the
// program was built as.
std::string ProductVersionText();

// The main window's title: "KTP/Q Series Vexilo Panel  Ver. <version>" (two spaces), or
// without the version part when there is none.
inline std::string MainWindowTitle(const std::string& version) {
    std::string title = "KTP/Q Series Vexilo Panel";
    if (!version.empty()) {
        title += "  Ver. " + version;
    }
    return title;
}

}  // namespace vexilo
