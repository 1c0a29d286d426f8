// What a hotplug watcher makes of two listings; runs on Linux and, for Windows, under Wine.
#include <gtest/gtest.h>

#include <vector>

#include "discovery/device_changes.h"

namespace vexilo {
namespace {

struct DiffCase {
    const char* what;
    std::vector<DeviceEntry> before, now;
    std::vector<int> added;  // ports, in order
    std::vector<int> removed;
};

TEST(DeviceChanges, AddedAndRemovedFollowTheListingsOrder) {
    const std::vector<DiffCase> cases{
        {"nothing changed", {{2, 5}, {1, 3}}, {{2, 5}, {1, 3}}, {}, {}},
        {"order alone is no change", {{2, 5}, {1, 3}}, {{1, 3}, {2, 5}}, {}, {}},
        {"one came, one went", {{2, 5}, {1, 3}}, {{1, 3}, {3, 9}, {0, 4}}, {9, 4}, {5}},
        {"all went", {{2, 5}, {1, 3}}, {}, {}, {5, 3}},
        {"first ones", {}, {{2, 7}, {3, 8}}, {7, 8}, {}},
        {"another kind on a reused port", {{2, 5}}, {{3, 5}}, {5}, {5}},
    };
    for (const DiffCase& c : cases) {
        const DeviceChanges changes = DiffDevices(c.before, c.now);
        std::vector<int> added;
        for (const DeviceEntry& e : changes.added) {
            added.push_back(e.port);
        }
        EXPECT_EQ(added, c.added) << c.what;
        EXPECT_EQ(changes.removed, c.removed) << c.what;
    }
    EXPECT_EQ(DiffDevices({}, {{3, 9}}).added.at(0).kind, 3);
}

}  // namespace
}  // namespace vexilo
