#include <climits>
#include <cwchar>
#include <iterator>
#include <string>

#include "discovery/setupapi_seam.h"

namespace vexilo {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

// _wtoi on a bounded text; out-of-range values stick at the int limits as _wtoi's do.
int ToInt(std::wstring_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        value = value * 10 + (text[i] - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;  // enough to clamp either way
        }
    }
    if (negative) {
        return value > static_cast<long long>(INT_MAX) ? INT_MIN : static_cast<int>(-value);
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

Kind KindOf(std::wstring_view hardwareId, const std::wstring& vendorPrefix) {
    for (const KindIdentity& k : kKindIdentities) {
        if (k.productId == 0) {
            continue;
        }
        wchar_t product[16];
        std::swprintf(product, std::size(product), L"&PID_%04X",
                      static_cast<unsigned>(k.productId));
        if (hardwareId.find(vendorPrefix + product) != std::wstring_view::npos) {
            return k.kind;
        }
    }
    return Kind::Other;
}

}  // namespace

std::wstring_view FirstString(std::wstring_view value) {
    return value.substr(0, value.find(L'\0'));
}

std::optional<int> PortFromFriendlyName(std::wstring_view name) {
    static constexpr std::wstring_view kOpen = L"(COM";
    const std::size_t open = name.find(kOpen);
    if (open == std::wstring_view::npos) {
        return std::nullopt;
    }
    const std::size_t digits = open + kOpen.size();
    const std::size_t close = name.find(L')', digits);
    if (close == std::wstring_view::npos) {
        return std::nullopt;
    }
    return ToInt(name.substr(digits, close - digits));
}

Port ComPort(int number, Kind kind) {
    const std::string label = "COM" + std::to_string(number);
    return Port{number < 1 ? std::string() : "\\\\.\\" + label, label, kind, {}};
}

std::vector<Port> MatchConverters(IDeviceInfoSet& devices, std::wstring_view vendorId,
                                  int capacity) {
    std::vector<Port> ports;
    if (capacity <= 0) {
        return ports;
    }
    const std::wstring vendorPrefix = L"USB\\VID_" + std::wstring(vendorId);
    const std::wstring family = vendorPrefix + L"&PID_002";
    for (std::uint32_t i = 0; ports.size() < static_cast<std::size_t>(capacity); ++i) {
        std::uint32_t devInst = 0;
        if (!devices.Device(i, devInst)) {
            break;
        }
        const auto service = devices.Property(i, DeviceProperty::Service);
        if (!service || FirstString(*service) != L"usbser") {
            continue;  // the converters run under the built-in CDC driver, spelt exactly so
        }
        if (devInst == 0) {
            continue;
        }
        const auto hardwareIds = devices.Property(i, DeviceProperty::HardwareId);
        if (!hardwareIds) {
            continue;
        }
        const std::wstring_view hardwareId = FirstString(*hardwareIds);  // the most specific
        if (hardwareId.find(family) == std::wstring_view::npos) {
            continue;
        }
        const auto friendlyName = devices.Property(i, DeviceProperty::FriendlyName);
        if (!friendlyName) {
            continue;
        }
        // A converter whose name carries no "(COMn)" has no port the panel could open.
        const std::optional<int> port = PortFromFriendlyName(FirstString(*friendlyName));
        if (!port) {
            continue;
        }
        ports.push_back(ComPort(*port, KindOf(hardwareId, vendorPrefix)));
    }
    return ports;
}

}  // namespace vexilo
