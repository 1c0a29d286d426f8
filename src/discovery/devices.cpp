#include "discovery/devices.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "discovery/virtual_ports.h"

namespace vexilo {
namespace {

DeviceSource& Source() {
    static DeviceSource source;
    return source;
}

// The last value of an environment variable whose problems were told.
struct Reported {
    std::string text;
    bool any = false;
};

Reported& PortsReport() {
    static Reported reported;
    return reported;
}

Reported& VendorReport() {
    static Reported reported;
    return reported;
}

// Enumeration runs again at every change the system reports, so a problem in an environment
// variable is told once per distinct value of the variable, not once per listing.
void ReportOnce(Reported& reported, const std::string& text,
                const std::vector<std::string>& problems) {
    if (problems.empty() || (reported.any && reported.text == text)) {
        return;
    }
    reported.any = true;
    reported.text = text;
    for (const std::string& line : problems) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

}  // namespace

const char* BuiltInUsbVendorIdText() {
    return VEXILO_USB_VENDOR_ID_TEXT;
}

std::optional<std::uint16_t> ParseUsbId(std::string_view text) {
    if (text.size() != 4) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

std::uint16_t UsbVendorId() {
    const char* env = std::getenv("VEXILO_USB_VENDOR_ID");
    if (env == nullptr || *env == '\0') {
        return VEXILO_USB_VENDOR_ID;
    }
    if (const auto id = ParseUsbId(env)) {
        return *id;
    }
    ReportOnce(VendorReport(), env,
               {std::string("VEXILO_USB_VENDOR_ID: \"") + env +
                "\" is not four hex digits (such as 3E57); looking for the built-in vendor ID " +
                VEXILO_USB_VENDOR_ID_TEXT});
    return VEXILO_USB_VENDOR_ID;
}

std::string UsbVendorIdText() {
    char text[5] = {};
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(UsbVendorId()));
    return text;
}

std::optional<Kind> KindFromProductId(std::uint16_t productId) {
    if (productId < kFirstProductId || productId > kLastProductId) {
        return std::nullopt;
    }
    for (const KindIdentity& k : kKindIdentities) {
        if (k.productId == productId) {
            return k.kind;
        }
    }
    return Kind::Other;
}

void SetDeviceSource(DeviceSource source) {
    Source() = std::move(source);
}

std::vector<Port> EnumerateDevices() {
    std::vector<Port> listed;
    if (const DeviceSource& source = Source()) {
        listed = source();
    } else {
        listed = EnumerateSystemDevices(MAX_DEVICES);
        const char* env = std::getenv("VEXILO_PORTS");
        if (env != nullptr && *env != '\0') {
            const std::string text = env;
            std::vector<std::string> problems;
            const std::vector<VirtualPort> ports = ParseVirtualPorts(text, problems);
            AppendVirtualPorts(listed, MAX_DEVICES, ports, problems);
            ReportOnce(PortsReport(), text, problems);
        }
    }
    // The panel shows MAX_DEVICES converters at most, whatever a source gives.
    if (listed.size() > static_cast<std::size_t>(MAX_DEVICES)) {
        listed.resize(MAX_DEVICES);
    }
    return listed;
}

}  // namespace vexilo
