#include "discovery/device_changes.h"

#include <algorithm>

namespace vexilo {
namespace {

bool Holds(const std::vector<DeviceEntry>& list, const DeviceEntry& e) {
    return std::any_of(list.begin(), list.end(),
                       [&](const DeviceEntry& x) { return x.port == e.port && x.kind == e.kind; });
}

}  // namespace

DeviceChanges DiffDevices(const std::vector<DeviceEntry>& before,
                          const std::vector<DeviceEntry>& now) {
    DeviceChanges changes;
    for (const DeviceEntry& e : before) {
        if (!Holds(now, e)) {
            changes.removed.push_back(e.port);
        }
    }
    for (const DeviceEntry& e : now) {
        if (!Holds(before, e)) {
            changes.added.push_back(e);
        }
    }
    return changes;
}

std::vector<DeviceEntry> ListPresentDevices() {
    DeviceEntry table[MAX_DEVICES];
    const int count = EnumerateDevices(table);
    std::vector<DeviceEntry> present;
    for (int i = 0; i < count; ++i) {
        if (PortPathPresent(table[i].port)) {
            present.push_back(table[i]);
        }
    }
    return present;
}

}  // namespace vexilo
