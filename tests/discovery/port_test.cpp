#include <gtest/gtest.h>

#include "discovery/port.h"
#include "support/fake_comm.h"

namespace vexilo {
namespace {

TEST(PortTest, AnInProcessPortOpensThroughItsOpenerEachTime) {
    int calls = 0;
    const Port port{"", "sim-rgb", Kind::Rgb, [&calls] {
                        ++calls;
                        return std::make_unique<test::FakeComm>();
                    }};
    for (int i = 1; i <= 2; ++i) {
        auto comm = OpenPortComm(port);
        ASSERT_NE(comm, nullptr);
        EXPECT_TRUE(comm->IsOpen());
        EXPECT_EQ(calls, i);
    }
}

TEST(PortTest, APortWithoutOpenerGetsASerialLinkOnItsPath) {
    for (const char* path : {"", "/dev/ttyACM-vexilo-test-missing"}) {
        auto comm = OpenPortComm(Port{path, "ttyACM9", Kind::Dvi, {}});
        ASSERT_NE(comm, nullptr) << path;
        EXPECT_FALSE(comm->IsOpen()) << path;
    }
}

// The hotplug watcher and the main window tell ports apart by Id: the path, else the label.
TEST(PortTest, PortsAreToldApartByPathElseLabel) {
    const Port usb{"/dev/ttyACM0", "ttyACM0", Kind::Rgb, {}};
    const Port sim{"", "sim0", Kind::Rgb, [] { return std::make_unique<test::FakeComm>(); }};
    EXPECT_EQ(usb.Id(), "/dev/ttyACM0");
    EXPECT_EQ(sim.Id(), "sim0");
    EXPECT_EQ(sim, (Port{"", "sim0", Kind::Rgb, {}}));  // the opener is no part of it
    EXPECT_NE(usb, (Port{"/dev/ttyACM0", "ttyACM0", Kind::Dvi, {}}));
}

}  // namespace
}  // namespace vexilo
