// EnumerateDevices with the environment and the source seam, and attachment on real ports.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "discovery/attach.h"
#include "discovery/device_changes.h"
#include "discovery/device_monitor.h"
#include "discovery/devices.h"
#include "discovery/virtual_ports.h"
#include "serial/pelk_rs232.h"
#include "serial/port_table.h"
#include "support/fake_comm.h"

namespace vexilo {
namespace {

class DevicesTest : public testing::Test {
protected:
    void SetUp() override { ClearPortTable(); }
    void TearDown() override {
        SetDeviceSource({});
        ClearPortTable();
    }
};

TEST_F(DevicesTest, EnumerateDevicesEndsWithTheVariableAndReportsOnce) {
    ASSERT_EQ(::setenv("VEXILO_PORTS", "rgb=/dev/pts/97,bogus,dvi=/dev/pts/98", 1), 0);
    DeviceEntry table[MAX_DEVICES];
    testing::internal::CaptureStderr();
    const int n = EnumerateDevices(table);
    const std::string first = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    EXPECT_EQ(EnumerateDevices(table), n);
    const std::string second = testing::internal::GetCapturedStderr();
    ::unsetenv("VEXILO_PORTS");

    // Whatever USB converters this machine has come first.
    ASSERT_GE(n, 2);
    EXPECT_EQ(PortPath(table[n - 2].port), "/dev/pts/97");
    EXPECT_EQ(table[n - 2].kind, DEVKIND_RGB);
    EXPECT_EQ(PortPath(table[n - 1].port), "/dev/pts/98");
    EXPECT_EQ(first, "VEXILO_PORTS: skipped \"bogus\": expected kind=path\n");
    EXPECT_EQ(second, "");
}

// A VEXILO_PORTS path that does not exist counts as unplugged, and the monitor notices when it
// comes (a simulator's link made again) while other files in its directory change nothing.
TEST_F(DevicesTest, VirtualPortsComeAndGoWithTheirPaths) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("vexilo-hotplug-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string there = (dir / "rgb0").string();
    const std::string missing = (dir / "dvi0").string();
    // Links to a character device, as a simulator's are to its terminal.
    std::filesystem::create_symlink("/dev/null", there);
    ASSERT_EQ(::setenv("VEXILO_PORTS", ("rgb=" + there + ",dvi=" + missing).c_str(), 1), 0);
    const std::unique_ptr<CDeviceMonitor> monitor = OpenDeviceMonitor();
    std::vector<PresentDevice> present = ListPresentDevices();
    ASSERT_FALSE(present.empty());
    const int port = present.back().entry.port;
    EXPECT_EQ(PortPath(port), there);

    // The same path made again is another node; left alone, it stays the same one.
    const std::optional<std::string> node = DeviceNodeOf(port);
    ASSERT_TRUE(node.has_value());
    EXPECT_EQ(DeviceNodeOf(port), node);
    const std::string moved = (dir / "old").string();
    std::filesystem::rename(there, moved);  // keeps the old inode alive, so it is not reused
    std::ofstream(there).put('x');
    EXPECT_NE(DeviceNodeOf(port), node);
    std::filesystem::remove(moved);

    auto signalled = [&] {
        pollfd p{static_cast<int>(monitor->NativeHandle()), POLLIN, 0};
        return ::poll(&p, 1, 5000) == 1 && monitor->Drain();
    };
    ASSERT_NE(monitor, nullptr);
    std::ofstream((dir / "unrelated").string()).put('x');
    std::filesystem::create_symlink("/dev/null", missing);
    EXPECT_TRUE(signalled());
    present = ListPresentDevices();
    EXPECT_EQ(PortPath(present.back().entry.port), missing);
    std::filesystem::remove(dir / "unrelated");
    pollfd p{static_cast<int>(monitor->NativeHandle()), POLLIN, 0};
    EXPECT_TRUE(::poll(&p, 1, 5000) == 1 && !monitor->Drain());
    ::unsetenv("VEXILO_PORTS");
    std::filesystem::remove_all(dir);
}

TEST_F(DevicesTest, DeviceSourceReplacesEnumerationWithinTheTable) {
    ASSERT_EQ(::setenv("VEXILO_PORTS", "rgb=/dev/pts/97", 1), 0);
    int calls = 0;
    int claimed = 3;
    SetDeviceSource([&](DeviceEntry* table) {
        ++calls;
        table[0] = {DEVKIND_NTSC, RegisterPort("", "sim")};
        return claimed;
    });
    DeviceEntry table[MAX_DEVICES];
    EXPECT_EQ(EnumerateDevices(table), 3);
    claimed = 40;
    EXPECT_EQ(EnumerateDevices(table), MAX_DEVICES);
    claimed = -1;
    EXPECT_EQ(EnumerateDevices(table), 0);
    EXPECT_EQ(calls, 3);

    SetDeviceSource({});
    const int n = EnumerateDevices(table);
    ::unsetenv("VEXILO_PORTS");
    EXPECT_EQ(calls, 3);
    ASSERT_GE(n, 1);
    EXPECT_EQ(PortPath(table[n - 1].port), "/dev/pts/97");
}

// A pseudo-terminal whose slave end stands in for a converter's port.
class Pty {
public:
    Pty() {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
            ::close(slave);  // the port is opened again by path, as a converter's would be
            path_ = name;
        }
    }
    ~Pty() {
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    const std::string& Path() const { return path_; }
    int Master() const { return master_; }

private:
    int master_ = -1;
    std::string path_;
};

int OpenDescriptors() {
    const auto it = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<int>(std::distance(begin(it), end(it)));
}

class AttachTest : public DevicesTest {
protected:
    void SetUp() override {
        DevicesTest::SetUp();
        ASSERT_FALSE(pty.Path().empty());
        port = RegisterPort(pty.Path(), "pty");
    }
    // Enumeration lists exactly `entry`.
    void Enumerates(DeviceEntry entry) {
        SetDeviceSource([entry](DeviceEntry* table) {
            table[0] = entry;
            return 1;
        });
    }

    Pty pty;
    int port = 0;
};

TEST_F(AttachTest, OpensThePortWithTheKindOfAFreshEnumeration) {
    Enumerates({DEVKIND_RGB, port});
    auto link = AttachDeviceLink(port);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_nPort, port);
    EXPECT_EQ(link->m_nKind, DEVKIND_RGB);

    // The link writes to this very pseudo-terminal.
    const std::uint8_t byte = 0x5A;
    link->Channel().m_pComm->Write(&byte, 1);
    std::uint8_t got = 0;
    EXPECT_EQ(::read(pty.Master(), &got, 1), 1);
    EXPECT_EQ(got, byte);

    link.reset();
    Enumerates({DEVKIND_NTSC, port + 1});  // not among the converters
    const auto other = AttachDeviceLink(port);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->m_nKind, DEVKIND_OTHER);
}

TEST_F(AttachTest, PortThatDoesNotOpenGivesNoLink) {
    // Unplugged between enumeration and attachment: the device node is gone.
    const int gone = RegisterPort(testing::TempDir() + "no-such-dir/ttyACM9", "ttyACM9");
    Enumerates({DEVKIND_DVI, gone});
    EXPECT_EQ(AttachDeviceLink(gone), nullptr);
    for (int bad : {0, -1, 999}) {
        EXPECT_EQ(AttachDeviceLink(bad), nullptr) << bad;
    }
}

TEST_F(AttachTest, PortHeldByAnotherOpenGivesNoLinkAndLeaksNothing) {
    Enumerates({DEVKIND_DVI, port});
    {
        CPelkRS232 holder(port);
        ASSERT_TRUE(holder.IsOpen());
        const int before = OpenDescriptors();
        EXPECT_EQ(AttachDeviceLink(port), nullptr);
        EXPECT_EQ(OpenDescriptors(), before);
    }
    EXPECT_NE(AttachDeviceLink(port), nullptr) << "the port should open once released";
}

TEST_F(AttachTest, VirtualPortsOpenThroughTheirOwnOpener) {
    bool open = true;
    const int sim = RegisterPort("", "sim", [&open] {
        auto comm = std::make_unique<test::FakeComm>();
        comm->open = open;
        return comm;
    });
    Enumerates({DEVKIND_NTSC, sim});
    const auto link = AttachDeviceLink(sim);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_nKind, DEVKIND_NTSC);
    EXPECT_NE(dynamic_cast<test::FakeComm*>(link->Channel().m_pComm.get()), nullptr);
    open = false;
    EXPECT_EQ(AttachDeviceLink(sim), nullptr);
}

// VEXILO_PORTS names POSIX paths: a file or a directory there is no serial line.
TEST(VirtualPortsPosix, PathsThatAreNoTerminalAreLeftOutWithTheReason) {
    ClearPortTable();
    std::vector<std::string> problems;
    DeviceEntry table[MAX_DEVICES];
    const std::string file = ::testing::TempDir() + "vexilo-not-a-port";
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const auto ports = ParseVirtualPorts("rgb=" + file + ",dvi=/,ntsc=/dev/null", problems);
    EXPECT_EQ(AppendVirtualPorts(table, 0, MAX_DEVICES, ports, problems), 1);  // /dev/null
    std::remove(file.c_str());
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("is a regular file, not a terminal"), std::string::npos);
    EXPECT_NE(problems[1].find("is a directory"), std::string::npos);
}

}  // namespace
}  // namespace vexilo
