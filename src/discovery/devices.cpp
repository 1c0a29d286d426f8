#include "discovery/devices.h"

#include <algorithm>
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

// Enumeration runs again for every page it attaches, so a problem in VEXILO_PORTS is told once
// per distinct value of the variable, not once per page.
void ReportOnce(const std::string& text, const std::vector<std::string>& problems) {
    static std::string reported;
    static bool any = false;
    if (problems.empty() || (any && reported == text)) {
        return;
    }
    any = true;
    reported = text;
    for (const std::string& line : problems) {
        std::fprintf(stderr, "%s\n", line.c_str());
    }
}

}  // namespace

std::uint16_t UsbVendorId() {
    return VEXILO_USB_VENDOR_ID;
}

const char* UsbVendorIdText() {
    return VEXILO_USB_VENDOR_ID_TEXT;
}

int KindFromProductId(std::uint16_t productId) {
    switch (productId) {
        case 0x0021:
            return DEVKIND_DVI;
        case 0x0022:
            return DEVKIND_RGB;
        case 0x0023:
            return DEVKIND_NTSC;
        default:
            break;
    }
    if (productId >= kFirstProductId && productId <= kLastProductId) {
        return DEVKIND_OTHER;
    }
    return -1;
}

void SetDeviceSource(DeviceSource source) {
    Source() = std::move(source);
}

int EnumerateDevices(DeviceEntry* table) {
    if (table == nullptr) {
        return 0;
    }
    if (const DeviceSource& source = Source()) {
        // The table holds MAX_DEVICES entries whatever the source claims.
        return std::clamp(source(table), 0, MAX_DEVICES);
    }
    int count = std::clamp(EnumerateSystemDevices(table, MAX_DEVICES), 0, MAX_DEVICES);
    const char* env = std::getenv("VEXILO_PORTS");
    if (env == nullptr || *env == '\0') {
        return count;
    }
    const std::string text = env;
    std::vector<std::string> problems;
    const std::vector<VirtualPort> ports = ParseVirtualPorts(text, problems);
    count = AppendVirtualPorts(table, count, MAX_DEVICES, ports, problems);
    ReportOnce(text, problems);
    return count;
}

}  // namespace vexilo
