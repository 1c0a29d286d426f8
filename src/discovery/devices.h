#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vexilo {

// Converter kinds, from the USB product ID.
enum : int {
    DEVKIND_OTHER = 0,  // 0x0020, 0x0024-0x002F
    DEVKIND_DVI = 1,    // 0x0021
    DEVKIND_RGB = 2,    // 0x0022
    DEVKIND_NTSC = 3,   // 0x0023
};

inline constexpr int MAX_DEVICES = 16;

struct DeviceEntry {
    int kind = DEVKIND_OTHER;
    int port = 0;  // port number of the port table (serial/port_table.h)
};

// Lists the attached converters into `table` (MAX_DEVICES entries) and returns how many,
// 0 to MAX_DEVICES. Each converter's port is registered in the port table.
int EnumerateDevices(DeviceEntry* table);

// The USB product IDs of the converter family.
inline constexpr std::uint16_t kFirstProductId = 0x0020;
inline constexpr std::uint16_t kLastProductId = 0x002F;

// The USB vendor ID the build looks for, as four upper-case hex digits.
const char* BuiltInUsbVendorIdText();

// The converters' USB vendor ID as a number and as four upper-case hex digits: the value of
// VEXILO_USB_VENDOR_ID when it is set, else the build's. A value that is not four hex digits is
// told once on standard error and the build's ID is used.
std::uint16_t UsbVendorId();
std::string UsbVendorIdText();

// A USB vendor or product ID: four hex digits in either case; nothing for anything else.
std::optional<std::uint16_t> ParseUsbId(std::string_view text);

// The kind of a product ID of the family (others in the family are DEVKIND_OTHER); -1 outside it.
int KindFromProductId(std::uint16_t productId);

// Replaces the whole enumeration (USB converters and VEXILO_PORTS) by `source`, which fills the
// table like EnumerateDevices and registers its ports; an empty function restores the real one.
// The source runs again for every attachment, so it must give the same ports each time.
using DeviceSource = std::function<int(DeviceEntry* table)>;
void SetDeviceSource(DeviceSource source);

// The converters the operating system itself reports (USB CDC ports), at most `capacity`, with
// their ports registered. One implementation per platform (enumerate_linux.cpp,
// enumerate_win32.cpp); EnumerateDevices appends the VEXILO_PORTS entries after them.
int EnumerateSystemDevices(DeviceEntry* table, int capacity);

}  // namespace vexilo
