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
#include "support/fake_comm.h"

namespace vexilo {
namespace {

class DevicesTest : public testing::Test {
protected:
    void TearDown() override { SetDeviceSource({}); }
};

TEST_F(DevicesTest, EnumerateDevicesEndsWithTheVariableAndReportsOnce) {
    ASSERT_EQ(::setenv("VEXILO_PORTS", "rgb=/dev/pts/97,bogus,dvi=/dev/pts/98", 1), 0);
    testing::internal::CaptureStderr();
    const std::vector<Port> listed = EnumerateDevices();
    const std::string first = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    EXPECT_EQ(EnumerateDevices().size(), listed.size());
    const std::string second = testing::internal::GetCapturedStderr();
    ::unsetenv("VEXILO_PORTS");

    // Whatever USB converters this machine has come first.
    const std::size_t n = listed.size();
    ASSERT_GE(n, 2u);
    EXPECT_EQ(listed[n - 2], (Port{"/dev/pts/97", "pts/97", Kind::Rgb, {}}));
    EXPECT_EQ(listed[n - 1].path, "/dev/pts/98");
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
    const Port port = present.back().port;
    EXPECT_EQ(port.path, there);

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
    EXPECT_EQ(present.back().port.path, missing);
    std::filesystem::remove(dir / "unrelated");
    pollfd p{static_cast<int>(monitor->NativeHandle()), POLLIN, 0};
    EXPECT_TRUE(::poll(&p, 1, 5000) == 1 && !monitor->Drain());
    ::unsetenv("VEXILO_PORTS");
    std::filesystem::remove_all(dir);
}

TEST_F(DevicesTest, DeviceSourceReplacesEnumerationUpToSixteenPorts) {
    ASSERT_EQ(::setenv("VEXILO_PORTS", "rgb=/dev/pts/97", 1), 0);
    int calls = 0;
    std::size_t given = 3;
    SetDeviceSource([&] {
        ++calls;
        std::vector<Port> ports;
        for (std::size_t i = 0; i < given; ++i) {
            ports.push_back({"", "sim" + std::to_string(i), Kind::Ntsc, {}});
        }
        return ports;
    });
    EXPECT_EQ(EnumerateDevices().size(), 3u);
    given = 40;
    const std::vector<Port> capped = EnumerateDevices();
    ASSERT_EQ(capped.size(), static_cast<std::size_t>(MAX_DEVICES));
    EXPECT_EQ(capped.back().label, "sim15");
    given = 0;
    EXPECT_TRUE(EnumerateDevices().empty());
    EXPECT_EQ(calls, 3);

    SetDeviceSource({});
    const std::vector<Port> real = EnumerateDevices();
    ::unsetenv("VEXILO_PORTS");
    EXPECT_EQ(calls, 3);
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.back().path, "/dev/pts/97");
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
        ASSERT_FALSE(pty.Path().empty());
        port = Port{pty.Path(), "pty", Kind::Rgb, {}};
    }

    Pty pty;
    Port port;
};

TEST_F(AttachTest, OpensThePortForAConverterOfItsKind) {
    auto link = OpenDeviceLink(port);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_kind, Kind::Rgb);
    EXPECT_EQ(link->Channel().Label(), "pty");

    // The link writes to this very pseudo-terminal.
    const std::uint8_t byte = 0x5A;
    link->Channel().m_pComm->Write(&byte, 1);
    std::uint8_t got = 0;
    EXPECT_EQ(::read(pty.Master(), &got, 1), 1);
    EXPECT_EQ(got, byte);
}

TEST_F(AttachTest, PortThatDoesNotOpenGivesNoLink) {
    // Unplugged between enumeration and attachment: the device node is gone.
    const Port gone{testing::TempDir() + "no-such-dir/ttyACM9", "ttyACM9", Kind::Dvi, {}};
    PortOpenFailure failure = PortOpenFailure::None;
    EXPECT_EQ(OpenDeviceLink(gone, &failure), nullptr);
    EXPECT_EQ(failure, PortOpenFailure::Gone);
    EXPECT_EQ(OpenDeviceLink(Port{}), nullptr);  // no path, no opener
}

TEST_F(AttachTest, PortHeldByAnotherOpenGivesNoLinkAndLeaksNothing) {
    {
        CPelkRS232 holder(port.path);
        ASSERT_TRUE(holder.IsOpen());
        const int before = OpenDescriptors();
        EXPECT_EQ(OpenDeviceLink(port), nullptr);
        EXPECT_EQ(OpenDescriptors(), before);
    }
    EXPECT_NE(OpenDeviceLink(port), nullptr) << "the port should open once released";
}

TEST_F(AttachTest, VirtualPortsOpenThroughTheirOwnOpener) {
    bool open = true;
    const Port sim{"", "sim", Kind::Ntsc, [&open] {
                       auto comm = std::make_unique<test::FakeComm>();
                       comm->open = open;
                       return comm;
                   }};
    const auto link = OpenDeviceLink(sim);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->m_kind, Kind::Ntsc);
    EXPECT_NE(dynamic_cast<test::FakeComm*>(link->Channel().m_pComm.get()), nullptr);
    open = false;
    EXPECT_EQ(OpenDeviceLink(sim), nullptr);
}

// VEXILO_PORTS names POSIX paths: a file or a directory there is no serial line.
TEST(VirtualPortsPosix, PathsThatAreNoTerminalAreLeftOutWithTheReason) {
    std::vector<std::string> problems;
    std::vector<Port> listed;
    const std::string file = ::testing::TempDir() + "vexilo-not-a-port";
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const auto ports = ParseVirtualPorts("rgb=" + file + ",dvi=/,ntsc=/dev/null", problems);
    AppendVirtualPorts(listed, MAX_DEVICES, ports, problems);
    EXPECT_EQ(listed.size(), 1u);  // /dev/null
    std::remove(file.c_str());
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("is a regular file, not a terminal"), std::string::npos);
    EXPECT_NE(problems[1].find("is a directory"), std::string::npos);
}

}  // namespace
}  // namespace vexilo
