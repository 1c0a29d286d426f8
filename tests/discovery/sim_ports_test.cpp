// Converters served by the simulator on pseudo-terminals, found through VEXILO_PORTS.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "discovery/attach.h"
#include "discovery/devices.h"
#include "sim/sim_options.h"
#include "sim/sim_pty_server.h"

namespace vexilo {
namespace {

TEST(SimPorts, VexiloPortsListsTheSimulatorsConvertersWithKindsAndLabels) {
    CSimPtyServer server;
    ASSERT_TRUE(server.Ok()) << server.Error();
    const std::vector<SimKind> kinds{SimKind::Rgb, SimKind::Dvi, SimKind::Ntsc, SimKind::Other};
    std::vector<std::string> paths;
    for (SimKind kind : kinds) {
        paths.push_back(server.AddConverter(std::make_shared<CSimConverter>(SimConfig::For(kind))));
        ASSERT_FALSE(paths.back().empty()) << server.Error();
    }
    std::thread loop([&server] { server.Run(); });

    // The line vexilo-sim prints is what the operator exports.
    std::string line = FormatVexiloPorts(kinds, paths);
    const std::string prefix = "VEXILO_PORTS=";
    if (line.rfind(prefix, 0) == 0) {
        line = line.substr(prefix.size());
    }
    ::setenv("VEXILO_PORTS", line.c_str(), 1);
    SetDeviceSource({});  // the real enumeration: sysfs first, then the variable

    const std::vector<Port> listed = EnumerateDevices();
    ASSERT_GE(listed.size(), 4u);
    const std::size_t first = listed.size() - 4;  // any real converters on this machine come first
    for (std::size_t i = 0; i < 4; ++i) {
        const Port& e = listed[first + i];
        EXPECT_EQ(e.kind, kinds[i]) << i;
        EXPECT_EQ(e.path, paths[i]);
        EXPECT_EQ(e.label, paths[i].substr(5));  // "pts/N"
    }

    // The port opens, and the converter answers through the panel's own link.
    auto link = OpenDeviceLink(listed[first]);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_kind, Kind::Rgb);
    EXPECT_TRUE(link->CheckConnection(1, false));
    EXPECT_EQ(link->GetSeriesCode(), 1);
    link.reset();

    ::unsetenv("VEXILO_PORTS");
    server.Stop();
    loop.join();
}

}  // namespace
}  // namespace vexilo
