// What a hotplug watcher makes of two listings; runs on Linux and, for Windows, under Wine.
#include <gtest/gtest.h>

#include <vector>

#include "discovery/device_changes.h"

namespace vexilo {
namespace {

struct DiffCase {
    const char* what;
    std::vector<PresentDevice> before, now;
    std::vector<int> added;  // ports, in order
    std::vector<int> removed;
};

TEST(DeviceChanges, AddedAndRemovedFollowTheListingsOrder) {
    const std::vector<DiffCase> cases{
        {"nothing changed", {{{2, 5}, "a"}, {{1, 3}, "b"}}, {{{2, 5}, "a"}, {{1, 3}, "b"}}, {}, {}},
        {"order alone is no change",
         {{{2, 5}, "a"}, {{1, 3}, "b"}},
         {{{1, 3}, "b"}, {{2, 5}, "a"}},
         {},
         {}},
        {"one came, one went",
         {{{2, 5}, "a"}, {{1, 3}, "b"}},
         {{{1, 3}, "b"}, {{3, 9}, "c"}, {{0, 4}, "d"}},
         {9, 4},
         {5}},
        {"all went", {{{2, 5}, "a"}, {{1, 3}, "b"}}, {}, {}, {5, 3}},
        {"first ones", {}, {{{2, 7}, "a"}, {{3, 8}, "b"}}, {7, 8}, {}},
        {"another kind on a reused port", {{{2, 5}, "a"}}, {{{3, 5}, "a"}}, {5}, {5}},
        {"unplugged and plugged in again on the same path",
         {{{2, 5}, "a"}},
         {{{2, 5}, "z"}},
         {5},
         {5}},
    };
    for (const DiffCase& c : cases) {
        const DeviceChanges changes = DiffDevices(c.before, c.now);
        std::vector<int> added;
        for (const PresentDevice& d : changes.added) {
            added.push_back(d.entry.port);
        }
        EXPECT_EQ(added, c.added) << c.what;
        EXPECT_EQ(changes.removed, c.removed) << c.what;
    }
    EXPECT_EQ(DiffDevices({}, {{{3, 9}, "n"}}).added.at(0).entry.kind, 3);
}

}  // namespace
}  // namespace vexilo
