#pragma once
// The Windows enumeration of converters, split so that its matching runs on recorded device
// properties: SetupAPI sits behind IDeviceInfoSet, and MatchConverters is plain code that the
// tests (on Linux too) feed with what a real machine reported.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "discovery/devices.h"

namespace vexilo {

// The registry properties the matching reads, with their SPDRP_* values.
enum class DeviceProperty : std::uint32_t {
    HardwareId = 1,
    Service = 4,
    FriendlyName = 12,
};

// The present devices of the machine, in the order SetupAPI lists them.
class IDeviceInfoSet {
public:
    virtual ~IDeviceInfoSet() = default;
    // Device number `index`: false when there is none (the walk ends); `devInst` receives its
    // device instance handle.
    virtual bool Device(std::uint32_t index, std::uint32_t& devInst) = 0;
    // A property of device `index` as stored (REG_SZ, or REG_MULTI_SZ with its NUL separators);
    // nothing when it cannot be read.
    virtual std::optional<std::wstring> Property(std::uint32_t index, DeviceProperty property) = 0;
};

// Walks `devices` and lists the converters: service exactly "usbser", a non-zero instance
// handle, a first hardware ID containing "USB\VID_<vendorId>&PID_002" and a friendly name that
// carries "(COMn)". The kind is the one whose own product ID ("&PID_0022") is in the same ID,
// else Other. Lists at most `capacity` ports, named by ComPort, in the set's order.
std::vector<Port> MatchConverters(IDeviceInfoSet& devices, std::wstring_view vendorId,
                                  int capacity);

// COM port `number`: path \\.\COMn, label "COMn". A number below 1 gets no path: it opens
// nothing.
Port ComPort(int number, Kind kind);

// The COM number in a friendly name such as "USB Serial Device (COM12)": the text after the
// first "(COM" up to the ")" that follows, read like _wtoi (leading blanks and a sign allowed,
// digits up to the first other character, 0 when there is none, clamped to the int range).
// Nothing when the name has no "(COM" or no ")" after it.
std::optional<int> PortFromFriendlyName(std::wstring_view name);

// The text of a property up to its first NUL: the whole of a REG_SZ, the first string of a
// REG_MULTI_SZ.
std::wstring_view FirstString(std::wstring_view value);

// SetupAPI's present devices of all classes (Windows only); null when the set cannot be built.
std::unique_ptr<IDeviceInfoSet> OpenSystemDeviceSet();

}  // namespace vexilo
