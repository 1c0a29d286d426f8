// VEXILO_PORTS paths on Linux: absolute device paths only.
#include "discovery/virtual_ports.h"

namespace vexilo {

std::optional<std::string> SystemPortPath(std::string_view) {
    return std::nullopt;
}

std::string PortPathRule() {
    return "the device path must be absolute, like /dev/pts/3";
}

}  // namespace vexilo
