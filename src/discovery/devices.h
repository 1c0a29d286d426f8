#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/port.h"

namespace vexilo {

inline constexpr int MAX_DEVICES = 16;

// Lists the attached converters' ports, each with its kind: at most MAX_DEVICES.
std::vector<Port> EnumerateDevices();

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

// The kind of a product ID of the family: the kind whose own ID it is, else Kind::Other;
// nothing outside the family.
std::optional<Kind> KindFromProductId(std::uint16_t productId);

// Replaces the whole enumeration (USB converters and VEXILO_PORTS) by `source`, whose ports
// EnumerateDevices returns (the first MAX_DEVICES of them); an empty function restores the real
// one. It runs once per enumeration: at start-up, and when the system reports a change.
using DeviceSource = std::function<std::vector<Port>()>;
void SetDeviceSource(DeviceSource source);

// The converters the operating system itself reports (USB CDC ports), at most `capacity`. One
// implementation per platform (enumerate_linux.cpp, enumerate_win32.cpp); EnumerateDevices
// appends the VEXILO_PORTS entries after them.
std::vector<Port> EnumerateSystemDevices(int capacity);

}  // namespace vexilo
