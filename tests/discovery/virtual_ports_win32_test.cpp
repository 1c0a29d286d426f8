// VEXILO_PORTS on Windows: COM ports by name beside absolute paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/virtual_ports.h"

namespace vexilo {
namespace {

TEST(VirtualPortsWin32, ComPortsByName) {
    const struct {
        const char* entry;
        const char* path;  // null: refused
    } cases[] = {
        {"rgb=COM8", "\\\\.\\COM8"},
        {"rgb=com12", "\\\\.\\COM12"},
        {"rgb=\\\\.\\COM255", "\\\\.\\COM255"},
        {"rgb=COM0", nullptr},
        {"rgb=COM256", nullptr},
        {"rgb=COM08", nullptr},
        {"rgb=COMX", nullptr},
        {"rgb=LPT1", nullptr},
    };
    for (const auto& c : cases) {
        std::vector<std::string> problems;
        const auto ports = ParseVirtualPorts(c.entry, problems);
        if (c.path == nullptr) {
            EXPECT_TRUE(ports.empty()) << c.entry;
            EXPECT_EQ(problems.size(), 1u) << c.entry;
            continue;
        }
        ASSERT_EQ(ports.size(), 1u) << c.entry;
        EXPECT_EQ(ports[0].path, c.path);
        std::vector<Port> listed;
        AppendVirtualPorts(listed, 16, ports, problems);
        ASSERT_EQ(listed.size(), 1u) << c.entry;
        EXPECT_EQ(listed[0].label, std::string(c.path).substr(4));
    }
}

}  // namespace
}  // namespace vexilo
