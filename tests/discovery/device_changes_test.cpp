// What a hotplug watcher makes of two listings; runs on Linux and, for Windows, under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/device_changes.h"

namespace vexilo {
namespace {

// A converter of `kind` on ttyACM<n>, its device node `node`.
PresentDevice On(Kind kind, int n, const char* node) {
    const std::string name = "ttyACM" + std::to_string(n);
    return {Port{"/dev/" + name, name, kind, {}}, node};
}

// The numbers of the ttyACM ports.
std::vector<int> Numbers(const std::vector<Port>& ports) {
    std::vector<int> numbers;
    for (const Port& p : ports) {
        numbers.push_back(std::stoi(p.label.substr(6)));
    }
    return numbers;
}

struct DiffCase {
    const char* what;
    std::vector<PresentDevice> before, now;
    std::vector<int> added;  // ttyACM numbers, in order
    std::vector<int> removed;
};

TEST(DeviceChanges, AddedAndRemovedFollowTheListingsOrder) {
    const std::vector<DiffCase> cases{
        {"nothing changed",
         {On(Kind::Rgb, 5, "a"), On(Kind::Dvi, 3, "b")},
         {On(Kind::Rgb, 5, "a"), On(Kind::Dvi, 3, "b")},
         {},
         {}},
        {"order alone is no change",
         {On(Kind::Rgb, 5, "a"), On(Kind::Dvi, 3, "b")},
         {On(Kind::Dvi, 3, "b"), On(Kind::Rgb, 5, "a")},
         {},
         {}},
        {"one came, one went",
         {On(Kind::Rgb, 5, "a"), On(Kind::Dvi, 3, "b")},
         {On(Kind::Dvi, 3, "b"), On(Kind::Ntsc, 9, "c"), On(Kind::Other, 4, "d")},
         {9, 4},
         {5}},
        {"all went", {On(Kind::Rgb, 5, "a"), On(Kind::Dvi, 3, "b")}, {}, {}, {5, 3}},
        {"first ones", {}, {On(Kind::Rgb, 7, "a"), On(Kind::Ntsc, 8, "b")}, {7, 8}, {}},
        {"another kind on a reused port",
         {On(Kind::Rgb, 5, "a")},
         {On(Kind::Ntsc, 5, "a")},
         {5},
         {5}},
        {"unplugged and plugged in again on the same path",
         {On(Kind::Rgb, 5, "a")},
         {On(Kind::Rgb, 5, "z")},
         {5},
         {5}},
    };
    for (const DiffCase& c : cases) {
        const DeviceChanges changes = DiffDevices(c.before, c.now);
        std::vector<Port> added;
        for (const PresentDevice& d : changes.added) {
            added.push_back(d.port);
        }
        EXPECT_EQ(Numbers(added), c.added) << c.what;
        EXPECT_EQ(Numbers(changes.removed), c.removed) << c.what;
    }
    EXPECT_EQ(DiffDevices({}, {On(Kind::Ntsc, 9, "n")}).added.at(0).port.kind, Kind::Ntsc);
}

}  // namespace
}  // namespace vexilo
