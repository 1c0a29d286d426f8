#include "app/shell_logic.h"

#include <cctype>

#include "model/converter_model.h"

namespace vexilo {

bool HasShowSaveSwitch(const std::vector<std::string>& args) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() == 2 && a[0] == '/' && std::tolower(static_cast<unsigned char>(a[1])) == 's') {
            return true;
        }
    }
    return false;
}

std::string WindowTitle(const std::string& version) {
    std::string title = "KTP/Q Series Vexilo Panel";
    if (!version.empty()) {
        title += "  Ver. " + version;
    }
    return title.substr(0, 255);
}

std::string TabCaption(std::optional<std::uint8_t> seriesCode, Kind kind,
                       const std::string& portLabel) {
    // No series reply: the model text alone, as for a series code the model does not know.
    return (model::ModelString(seriesCode.value_or(0xFF), kind) + " (" + portLabel + ")")
        .substr(0, 63);
}

}  // namespace vexilo
