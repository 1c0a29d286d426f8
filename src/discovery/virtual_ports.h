#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/devices.h"

namespace vexilo {

// One entry of VEXILO_PORTS ("rgb=/dev/pts/3,dvi=/dev/pts/4"): a serial device that USB
// enumeration cannot see, such as a simulator on a pseudo-terminal.
struct VirtualPort {
    Kind kind = Kind::Other;
    std::string path;   // absolute device path, or the system's name of a serial port
    std::string entry;  // the entry as written, for messages
};

// Parses a VEXILO_PORTS value. Entries are "kind=path" separated by commas; kinds are named as in
// KindName (any case); blanks around kind and path are ignored, and so are empty entries.
// Each malformed entry is left out and described by one line appended to `problems`.
std::vector<VirtualPort> ParseVirtualPorts(std::string_view text,
                                           std::vector<std::string>& problems);

// Appends `ports` to `listed`, in order, up to `capacity` entries in all, each labelled by
// VirtualPortLabel. An entry whose path is already listed, or for which no room is left, is left
// out with a line in `problems`.
void AppendVirtualPorts(std::vector<Port>& listed, int capacity,
                        const std::vector<VirtualPort>& ports, std::vector<std::string>& problems);

// The caption label of a virtual port: the path without "/dev/" ("pts/3") or "\\.\" ("COM8"),
// else the whole path.
std::string VirtualPortLabel(const std::string& path);

// Platform part: the device path of a port named the system's own way where an absolute path is
// not given ("COM8" on Windows: "\\.\COM8"); nothing when `name` is no such name.
std::optional<std::string> SystemPortPath(std::string_view name);
// Why an entry's path was refused: what the platform accepts.
std::string PortPathRule();

}  // namespace vexilo
