#include "discovery/virtual_ports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "serial/port_table.h"

namespace vexilo {
namespace {

class VirtualPortsTest : public testing::Test {
protected:
    void SetUp() override { ClearPortTable(); }
    void TearDown() override { ClearPortTable(); }
    std::vector<std::string> problems;
};

TEST_F(VirtualPortsTest, ParsesKindsInOrder) {
    const auto ports = ParseVirtualPorts(
        " RGB = /dev/pts/3 ,dvi=/dev/pts/4,ntsc=/dev/ttyUSB0,,other=/tmp/x,", problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].kind, DEVKIND_RGB);
    EXPECT_EQ(ports[0].path, "/dev/pts/3");
    EXPECT_EQ(ports[1].kind, DEVKIND_DVI);
    EXPECT_EQ(ports[2].kind, DEVKIND_NTSC);
    EXPECT_EQ(ports[3].kind, DEVKIND_OTHER);
    EXPECT_EQ(ports[3].path, "/tmp/x");
}

TEST_F(VirtualPortsTest, SkipsEachMalformedEntryWithOneLine) {
    const char* malformed[] = {"rgb",  "vga=/dev/pts/1", "=/dev/pts/1",
                               "rgb=", "rgb=pts/1",      "rgb=/dev/pts/\n1"};
    for (const char* entry : malformed) {
        SCOPED_TRACE(entry);
        problems.clear();
        const auto ports =
            ParseVirtualPorts(std::string("dvi=/dev/a,") + entry + ",ntsc=/dev/b", problems);
        ASSERT_EQ(ports.size(), 2u);  // the good neighbours survive, in order
        EXPECT_EQ(ports[0].path, "/dev/a");
        EXPECT_EQ(ports[1].path, "/dev/b");
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_EQ(problems[0].rfind("VEXILO_PORTS: ", 0), 0u) << problems[0];
        EXPECT_EQ(problems[0].find('\n'), std::string::npos) << problems[0];
    }
}

TEST_F(VirtualPortsTest, AppendsAfterTheUsbConvertersWithinTheLimit) {
    DeviceEntry table[MAX_DEVICES];
    table[0] = {DEVKIND_DVI, RegisterPort("/dev/ttyACM0", "ttyACM0")};
    table[1] = {DEVKIND_RGB, RegisterPort("/dev/ttyACM1", "ttyACM1")};
    const auto ports = ParseVirtualPorts("ntsc=/dev/pts/3,other=/run/sim/port", problems);
    ASSERT_EQ(AppendVirtualPorts(table, 2, MAX_DEVICES, ports, problems), 4);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(PortPath(table[0].port), "/dev/ttyACM0");
    EXPECT_EQ(table[2].kind, DEVKIND_NTSC);
    EXPECT_EQ(PortPath(table[2].port), "/dev/pts/3");
    EXPECT_EQ(PortLabel(table[2].port), "pts/3");
    EXPECT_EQ(table[3].kind, DEVKIND_OTHER);
    EXPECT_EQ(PortLabel(table[3].port), "/run/sim/port");
    EXPECT_NE(table[2].port, table[3].port);

    // A path already listed would give a page that can never open its port.
    const auto again = ParseVirtualPorts("rgb=/dev/ttyACM1,rgb=/dev/pts/3", problems);
    EXPECT_EQ(AppendVirtualPorts(table, 4, MAX_DEVICES, again, problems), 4);
    EXPECT_EQ(problems.size(), 2u);
}

TEST_F(VirtualPortsTest, EntriesBeyondSixteenAreLeftOut) {
    DeviceEntry table[MAX_DEVICES];
    for (int i = 0; i < 15; ++i) {
        const std::string name = "ttyACM" + std::to_string(i);
        table[i] = {DEVKIND_RGB, RegisterPort("/dev/" + name, name)};
    }
    const auto ports = ParseVirtualPorts("dvi=/dev/pts/1,dvi=/dev/pts/2,dvi=/dev/pts/3", problems);
    ASSERT_EQ(AppendVirtualPorts(table, 15, MAX_DEVICES, ports, problems), MAX_DEVICES);
    EXPECT_EQ(PortPath(table[15].port), "/dev/pts/1");
    EXPECT_EQ(problems.size(), 2u);
}

}  // namespace
}  // namespace vexilo
