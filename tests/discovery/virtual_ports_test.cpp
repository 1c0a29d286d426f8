#include "discovery/virtual_ports.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vexilo {
namespace {

class VirtualPortsTest : public testing::Test {
protected:
    std::vector<std::string> problems;
};

TEST_F(VirtualPortsTest, ParsesKindsInOrder) {
    const auto ports = ParseVirtualPorts(
        " RGB = /dev/pts/3 ,dvi=/dev/pts/4,ntsc=/dev/ttyUSB0,,other=/tmp/x,", problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].kind, Kind::Rgb);
    EXPECT_EQ(ports[0].path, "/dev/pts/3");
    EXPECT_EQ(ports[1].kind, Kind::Dvi);
    EXPECT_EQ(ports[2].kind, Kind::Ntsc);
    EXPECT_EQ(ports[3].kind, Kind::Other);
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
    std::vector<Port> listed{{"/dev/ttyACM0", "ttyACM0", Kind::Dvi, {}},
                             {"/dev/ttyACM1", "ttyACM1", Kind::Rgb, {}}};
    const auto ports = ParseVirtualPorts("ntsc=/dev/pts/3,other=/run/sim/port", problems);
    AppendVirtualPorts(listed, MAX_DEVICES, ports, problems);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(listed[0].path, "/dev/ttyACM0");
    EXPECT_EQ(listed[2], (Port{"/dev/pts/3", "pts/3", Kind::Ntsc, {}}));
    EXPECT_EQ(listed[3], (Port{"/run/sim/port", "/run/sim/port", Kind::Other, {}}));

    // A path already listed would give a page that can never open its port.
    const auto again = ParseVirtualPorts("rgb=/dev/ttyACM1,rgb=/dev/pts/3", problems);
    AppendVirtualPorts(listed, MAX_DEVICES, again, problems);
    EXPECT_EQ(listed.size(), 4u);
    EXPECT_EQ(problems.size(), 2u);
}

TEST_F(VirtualPortsTest, EntriesBeyondSixteenAreLeftOut) {
    std::vector<Port> listed;
    for (int i = 0; i < 15; ++i) {
        const std::string name = "ttyACM" + std::to_string(i);
        listed.push_back({"/dev/" + name, name, Kind::Rgb, {}});
    }
    const auto ports = ParseVirtualPorts("dvi=/dev/pts/1,dvi=/dev/pts/2,dvi=/dev/pts/3", problems);
    AppendVirtualPorts(listed, MAX_DEVICES, ports, problems);
    ASSERT_EQ(listed.size(), static_cast<std::size_t>(MAX_DEVICES));
    EXPECT_EQ(listed[15].path, "/dev/pts/1");
    EXPECT_EQ(problems.size(), 2u);
}

}  // namespace
}  // namespace vexilo
