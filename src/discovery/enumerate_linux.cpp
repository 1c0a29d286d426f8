// Converter enumeration on Linux: the kernel's sysfs view of ttys and USB devices.
#include "discovery/enumerate_linux.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

namespace vexilo {
namespace fs = std::filesystem;
namespace {

struct Found {
    std::string name;
    Kind kind;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A USB ID attribute as the kernel writes it: four hex digits and a newline.
std::optional<std::uint16_t> ReadUsbId(const fs::path& file) {
    std::ifstream in(file);
    char buf[16] = {};
    in.read(buf, sizeof buf - 1);
    std::string_view text(buf, static_cast<size_t>(in.gcount()));
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) {
        text.remove_suffix(1);
    }
    return ParseUsbId(text);
}

// The name becomes a path under /dev, so only plain kernel device names are taken.
bool IsPlainDeviceName(const std::string& name) {
    if (name.empty() || name.front() == '.') {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
               c == '-' || c == '.';
    });
}

// The converter kind of tty `name`, or nothing when it is not one of our converters.
std::optional<Kind> ConverterKind(const fs::path& ttyClass, const std::string& name,
                                  std::uint16_t vendorId) {
    std::error_code ec;
    const fs::path iface = fs::canonical(ttyClass / name / "device", ec);
    if (ec) {
        return std::nullopt;  // a virtual tty (console, pty) has no device
    }
    const fs::path driver = fs::canonical(iface / "driver", ec);
    if (ec || driver.filename() != "cdc_acm") {
        return std::nullopt;
    }
    const fs::path usbDevice = iface.parent_path();
    const auto vendor = ReadUsbId(usbDevice / "idVendor");
    const auto product = ReadUsbId(usbDevice / "idProduct");
    if (!vendor || !product || *vendor != vendorId) {
        return std::nullopt;
    }
    return KindFromProductId(*product);
}

}  // namespace

bool NaturalLess(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t ei = i;
            size_t ej = j;
            while (ei < a.size() && IsDigit(a[ei])) {
                ++ei;
            }
            while (ej < b.size() && IsDigit(b[ej])) {
                ++ej;
            }
            // Compare the runs as numbers of any length: drop leading zeros, then the longer wins.
            std::string_view na = a.substr(i, ei - i);
            std::string_view nb = b.substr(j, ej - j);
            while (na.size() > 1 && na.front() == '0') {
                na.remove_prefix(1);
            }
            while (nb.size() > 1 && nb.front() == '0') {
                nb.remove_prefix(1);
            }
            if (na.size() != nb.size()) {
                return na.size() < nb.size();
            }
            if (na != nb) {
                return na < nb;
            }
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j]) {
            return a[i] < b[j];
        }
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) {
        return j < b.size();
    }
    return a < b;  // equal as numbers ("tty01", "tty1"): any fixed order will do
}

std::vector<Port> EnumerateUsbConverters(int capacity, const std::string& sysfsRoot) {
    if (capacity <= 0) {
        return {};
    }
    const std::uint16_t vendorId = UsbVendorId();  // read (and checked) once, device or not
    const fs::path ttyClass = fs::path(sysfsRoot) / "class" / "tty";
    std::vector<Found> found;
    std::error_code ec;
    fs::directory_iterator it(ttyClass, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!IsPlainDeviceName(name)) {
            continue;
        }
        if (const auto kind = ConverterKind(ttyClass, name, vendorId)) {
            found.push_back(Found{name, *kind});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return NaturalLess(a.name, b.name); });
    found.resize(std::min(found.size(), static_cast<std::size_t>(capacity)));
    std::vector<Port> ports;
    for (const Found& f : found) {
        ports.push_back(Port{"/dev/" + f.name, f.name, f.kind, {}});
    }
    return ports;
}

std::vector<Port> EnumerateSystemDevices(int capacity) {
    return EnumerateUsbConverters(capacity, "/sys");
}

}  // namespace vexilo
