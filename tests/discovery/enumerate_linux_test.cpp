#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "discovery/enumerate_linux.h"

namespace vexilo {
namespace {

namespace fs = std::filesystem;

// A sysfs tree laid out as the kernel does: class/tty/<name> links into devices/, the tty's
// `device` link points at its USB interface, whose `driver` link points into bus/*/drivers/.
class FakeSysfs {
public:
    FakeSysfs() {
        std::string pattern = testing::TempDir() + "sysfs-XXXXXX";
        root_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        fs::create_directories(Root() / "class" / "tty");
    }
    ~FakeSysfs() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    fs::path Root() const { return root_; }

    // A tty on interface 1.0 of its own USB device.
    void AddUsbTty(const std::string& tty, int vendor, int product,
                   const std::string& driver = "cdc_acm") {
        const std::string port = "1-" + std::to_string(++usbDevices_);
        const fs::path device = Root() / "devices/pci0000:00/0000:00:14.0/usb1" / port;
        const fs::path iface = device / (port + ":1.0");
        fs::create_directories(iface);
        WriteId(device / "idVendor", vendor);
        WriteId(device / "idProduct", product);
        Bind(iface, "usb", driver);
        AddClassTty(tty, iface);
    }
    // A tty on a platform device, like the 8250 serial ports.
    void AddPlatformTty(const std::string& tty) {
        const fs::path dev = Root() / "devices/platform/serial8250";
        fs::create_directories(dev);
        Bind(dev, "platform", "serial8250");
        AddClassTty(tty, dev);
    }
    // A tty without a device (consoles, pseudo-terminals).
    void AddVirtualTty(const std::string& tty) {
        const fs::path dir = Root() / "devices/virtual/tty" / tty;
        fs::create_directories(dir);
        fs::create_directory_symlink(fs::relative(dir, Root() / "class/tty"),
                                     Root() / "class/tty" / tty);
    }
    void WriteFile(const fs::path& file, const std::string& text) { std::ofstream(file) << text; }
    fs::path LastUsbDevice() const {
        return Root() / "devices/pci0000:00/0000:00:14.0/usb1" /
               ("1-" + std::to_string(usbDevices_));
    }

private:
    void WriteId(const fs::path& file, int id) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04x\n", id);  // the kernel's format
        WriteFile(file, buf);
    }
    void Bind(const fs::path& dev, const std::string& bus, const std::string& driver) {
        const fs::path drv = Root() / "bus" / bus / "drivers" / driver;
        fs::create_directories(drv);
        std::error_code ec;
        fs::create_directory_symlink(fs::relative(drv, dev), dev / "driver", ec);
    }
    void AddClassTty(const std::string& tty, const fs::path& parent) {
        const fs::path dir = parent / "tty" / tty;
        fs::create_directories(dir);
        fs::create_directory_symlink(fs::relative(parent, dir), dir / "device");
        fs::create_directory_symlink(fs::relative(dir, Root() / "class/tty"),
                                     Root() / "class/tty" / tty);
    }

    std::string root_;
    int usbDevices_ = 0;
};

class EnumerateLinuxTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(sysfs.Root().empty()); }

    std::vector<Port> Enumerate(int capacity = MAX_DEVICES) {
        return EnumerateUsbConverters(capacity, sysfs.Root().string());
    }

    FakeSysfs sysfs;
    const int vid = UsbVendorId();
};

TEST_F(EnumerateLinuxTest, KindComesFromEveryProductIdOfTheFamily) {
    for (int pid = 0x0020; pid <= 0x002F; ++pid) {
        sysfs.AddUsbTty("ttyACM" + std::to_string(pid - 0x0020), vid, pid);
    }
    const auto table = Enumerate();
    ASSERT_EQ(table.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        const int pid = 0x0020 + i;
        const Kind want = pid == 0x0021   ? Kind::Dvi
                          : pid == 0x0022 ? Kind::Rgb
                          : pid == 0x0023 ? Kind::Ntsc
                                          : Kind::Other;
        SCOPED_TRACE(pid);
        EXPECT_EQ(table[i].kind, want);
        EXPECT_EQ(table[i].path, "/dev/ttyACM" + std::to_string(i));
        EXPECT_EQ(table[i].label, "ttyACM" + std::to_string(i));
    }
}

TEST_F(EnumerateLinuxTest, ListsOnlyOurConvertersOnCdcAcm) {
    sysfs.AddUsbTty("ttyACM0", vid ^ 0x0100, 0x0021);  // another maker
    sysfs.AddUsbTty("ttyACM1", vid, 0x001F);           // outside the family
    sysfs.AddUsbTty("ttyACM2", vid, 0x0030);
    sysfs.AddUsbTty("ttyUSB0", vid, 0x0022, "ftdi_sio");  // not a CDC ACM port
    sysfs.AddPlatformTty("ttyS0");
    sysfs.AddVirtualTty("tty0");
    sysfs.AddUsbTty("ttyACM3", vid, 0x0022);
    sysfs.WriteFile(sysfs.LastUsbDevice() / "idProduct", "zz22\n");  // unreadable ID
    sysfs.AddUsbTty("ttyACM4", vid, 0x0023);

    const auto table = Enumerate();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].kind, Kind::Ntsc);
    EXPECT_EQ(table[0].path, "/dev/ttyACM4");
}

TEST_F(EnumerateLinuxTest, SeventeenConvertersGiveTheFirstSixteenInNaturalOrder) {
    // Created out of order so that directory order cannot pass for sorting.
    for (int k : {9, 16, 1, 10, 0, 12, 3, 15, 2, 11, 5, 14, 4, 13, 6, 8, 7}) {
        sysfs.AddUsbTty("ttyACM" + std::to_string(k), vid, 0x0022);
    }
    const auto table = Enumerate();
    ASSERT_EQ(table.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(table[i].label, "ttyACM" + std::to_string(i));
    }
}

TEST_F(EnumerateLinuxTest, CapacityAndMissingTreeLimitTheResult) {
    sysfs.AddUsbTty("ttyACM0", vid, 0x0021);
    sysfs.AddUsbTty("ttyACM1", vid, 0x0022);
    EXPECT_EQ(Enumerate(1).size(), 1u);
    EXPECT_EQ(Enumerate(0).size(), 0u);
    EXPECT_TRUE(EnumerateUsbConverters(MAX_DEVICES, sysfs.Root() / "no-such-dir").empty());
}

TEST_F(EnumerateLinuxTest, VendorIdFromTheEnvironmentReplacesTheBuiltInOne) {
    sysfs.AddUsbTty("ttyACM0", vid, 0x0022);
    sysfs.AddUsbTty("ttyACM1", 0x1A2B, 0x0021);

    ASSERT_EQ(::setenv("VEXILO_USB_VENDOR_ID", "1a2b", 1), 0);
    auto table = Enumerate();
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].label, "ttyACM1");
    EXPECT_EQ(UsbVendorIdText(), "1A2B");

    // A value that is not four hex digits is told once, and the build's ID holds.
    ASSERT_EQ(::setenv("VEXILO_USB_VENDOR_ID", "0x1a2b", 1), 0);
    testing::internal::CaptureStderr();
    table = Enumerate();
    Enumerate();
    const std::string told = testing::internal::GetCapturedStderr();
    ::unsetenv("VEXILO_USB_VENDOR_ID");
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(table[0].label, "ttyACM0");
    EXPECT_EQ(told, std::string("VEXILO_USB_VENDOR_ID: \"0x1a2b\" is not four hex digits (such as "
                                "3E57); looking for the built-in vendor ID ") +
                        BuiltInUsbVendorIdText() + "\n");
}

TEST(UsbIds, FourHexDigitsInEitherCase) {
    EXPECT_EQ(ParseUsbId("3e57"), 0x3E57);
    EXPECT_EQ(ParseUsbId("AbCd"), 0xABCD);
    for (const char* bad : {"", "3E5", "3E570", "3E5G", "+3E5", " 3E5"}) {
        EXPECT_FALSE(ParseUsbId(bad)) << bad;
    }
}

}  // namespace
}  // namespace vexilo
