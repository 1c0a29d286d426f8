// VEXILO_PORTS paths on Windows: a COM port by name ("COM8" or "\\.\COM8"), as a simulator on a
// pseudo-terminal is registered under Wine.
#include <cctype>

#include "discovery/virtual_ports.h"

namespace vexilo {

std::optional<std::string> SystemPortPath(std::string_view name) {
    constexpr std::string_view kDevice = "\\\\.\\";
    if (name.substr(0, kDevice.size()) == kDevice) {
        name.remove_prefix(kDevice.size());
    }
    if (name.size() < 4 || name.size() > 6) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(name[i])) != "COM"[i]) {
            return std::nullopt;
        }
    }
    int number = 0;
    for (const char c : name.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    // Windows numbers its COM ports from 1 to 255.
    if (number < 1 || number > 255 || name[3] == '0') {
        return std::nullopt;
    }
    return std::string(kDevice) + "COM" + std::to_string(number);
}

std::string PortPathRule() {
    return "the port must be a COM port, like COM8, or an absolute device path";
}

}  // namespace vexilo
