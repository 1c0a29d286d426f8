#include "discovery/device_changes.h"

#include <algorithm>

namespace vexilo {
namespace {

bool Holds(const std::vector<PresentDevice>& list, const PresentDevice& d) {
    return std::any_of(list.begin(), list.end(), [&](const PresentDevice& x) {
        return x.entry.port == d.entry.port && x.entry.kind == d.entry.kind && x.node == d.node;
    });
}

}  // namespace

DeviceChanges DiffDevices(const std::vector<PresentDevice>& before,
                          const std::vector<PresentDevice>& now) {
    DeviceChanges changes;
    for (const PresentDevice& d : before) {
        if (!Holds(now, d)) {
            changes.removed.push_back(d.entry.port);
        }
    }
    for (const PresentDevice& d : now) {
        if (!Holds(before, d)) {
            changes.added.push_back(d);
        }
    }
    return changes;
}

std::vector<PresentDevice> ListPresentDevices() {
    DeviceEntry table[MAX_DEVICES];
    const int count = EnumerateDevices(table);
    std::vector<PresentDevice> present;
    for (int i = 0; i < count; ++i) {
        if (std::optional<std::string> node = DeviceNodeOf(table[i].port)) {
            present.push_back({table[i], std::move(*node)});
        }
    }
    return present;
}

}  // namespace vexilo
