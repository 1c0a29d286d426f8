#pragma once

#include <optional>
#include <string>
#include <vector>

#include "discovery/devices.h"

namespace vexilo {

// A converter present now, and what identifies its device node at this moment: a converter
// unplugged and plugged in again under the same path has another node, so it is another
// converter to the panel.
struct PresentDevice {
    Port port;
    std::string node;
};

// What changed between two listings of the converters.
struct DeviceChanges {
    std::vector<PresentDevice> added;  // in the new listing's order
    std::vector<Port> removed;         // in the old listing's order
};

// Compares the converters listed before with those listed now. A port in both listings with
// another kind or another device node is a different converter on a reused port name: removed,
// then added. Both platforms' hotplug watchers decide with this after a fresh enumeration.
DeviceChanges DiffDevices(const std::vector<PresentDevice>& before,
                          const std::vector<PresentDevice>& now);

// The converters present now: EnumerateDevices without the VEXILO_PORTS entries whose device path
// does not exist at the moment (a simulator's terminal that has been unplugged).
std::vector<PresentDevice> ListPresentDevices();
// The same for a listing already made (the one of start-up): nothing is enumerated again.
std::vector<PresentDevice> PresentAmong(const std::vector<Port>& listed);

// What identifies the device node behind `port` now, or nothing when its path does not exist.
// One implementation per platform: Linux tells the node's inode and device number apart (and the
// link's, for a path that is a symbolic link) and, for a USB converter, the number the kernel
// gave the USB device when it was plugged in; Windows has no node to tell apart (always empty).
std::optional<std::string> DeviceNodeOf(const Port& port);

}  // namespace vexilo
