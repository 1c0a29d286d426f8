#include "discovery/device_changes.h"

#include <algorithm>

namespace vexilo {
namespace {

bool Holds(const std::vector<PresentDevice>& list, const PresentDevice& d) {
    return std::any_of(list.begin(), list.end(), [&](const PresentDevice& x) {
        return x.port == d.port && x.node == d.node;
    });
}

}  // namespace

DeviceChanges DiffDevices(const std::vector<PresentDevice>& before,
                          const std::vector<PresentDevice>& now) {
    DeviceChanges changes;
    for (const PresentDevice& d : before) {
        if (!Holds(now, d)) {
            changes.removed.push_back(d.port);
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
    return PresentAmong(EnumerateDevices());
}

std::vector<PresentDevice> PresentAmong(const std::vector<Port>& listed) {
    std::vector<PresentDevice> present;
    for (const Port& port : listed) {
        if (std::optional<std::string> node = DeviceNodeOf(port)) {
            present.push_back({port, std::move(*node)});
        }
    }
    return present;
}

}  // namespace vexilo
