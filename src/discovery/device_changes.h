#pragma once

#include <vector>

#include "discovery/devices.h"

namespace vexilo {

// What changed between two listings of the converters.
struct DeviceChanges {
    std::vector<DeviceEntry> added;  // in the new listing's order
    std::vector<int> removed;        // ports, in the old listing's order
};

// Compares the converters listed before with those listed now. A port in both listings with
// another kind is a different converter on a reused port name: removed, then added. Both
// platforms' hotplug watchers decide with this after a fresh enumeration.
DeviceChanges DiffDevices(const std::vector<DeviceEntry>& before,
                          const std::vector<DeviceEntry>& now);

// The converters present now: EnumerateDevices without the VEXILO_PORTS entries whose device path
// does not exist at the moment (a simulator's terminal that has been unplugged).
std::vector<DeviceEntry> ListPresentDevices();

// Whether the device path of `port` exists; one implementation per platform (Windows: always).
bool PortPathPresent(int port);

}  // namespace vexilo
