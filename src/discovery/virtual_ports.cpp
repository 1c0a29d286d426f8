#include "discovery/virtual_ports.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace vexilo {
namespace {

constexpr std::string_view kVariable = "VEXILO_PORTS: ";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool HasControlCharacter(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// The entry in double quotes, with control characters escaped so the message stays one line.
std::string Quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '"' || c == '\\') {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Skipped(std::string_view entry, const std::string& why) {
    return std::string(kVariable) + "skipped " + Quoted(entry) + ": " + why;
}

// Why a path that exists cannot be a converter's port; empty when it may be (a character device,
// or nothing yet: a simulator may create it later). Requests written into a regular file would
// go nowhere, and reading it back would spin.
std::string NotAPort(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_type type = fs::status(path, error).type();
    switch (type) {
        case fs::file_type::character:
        case fs::file_type::not_found:
        case fs::file_type::none:
        case fs::file_type::unknown:
            return {};
        case fs::file_type::regular:
            return path + " is a regular file, not a terminal";
        case fs::file_type::directory:
            return path + " is a directory, not a terminal";
        default:
            return path + " is not a terminal";
    }
}

}  // namespace

std::vector<VirtualPort> ParseVirtualPorts(std::string_view text,
                                           std::vector<std::string>& problems) {
    std::vector<VirtualPort> ports;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const std::string_view entry = Trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (entry.empty()) {
            continue;  // "a=/x," or "a=/x,,b=/y": nothing was meant there
        }
        const size_t equals = entry.find('=');
        if (equals == std::string_view::npos) {
            problems.push_back(Skipped(entry, "expected kind=path"));
            continue;
        }
        const std::string_view kindName = Trim(entry.substr(0, equals));
        const std::string_view path = Trim(entry.substr(equals + 1));
        const std::optional<Kind> kind = KindFromName(kindName);
        if (!kind) {
            problems.push_back(Skipped(entry, "unknown kind " + Quoted(kindName) + " (use " +
                                                  KindNames(", ", " or ") + ")"));
            continue;
        }
        if (path.empty()) {
            problems.push_back(Skipped(entry, "no device path after \"=\""));
            continue;
        }
        if (path.front() != '/') {
            if (std::optional<std::string> device = SystemPortPath(path)) {
                ports.push_back(VirtualPort{*kind, *device, std::string(entry)});
            } else {
                problems.push_back(Skipped(entry, PortPathRule()));
            }
            continue;
        }
        if (HasControlCharacter(path)) {
            problems.push_back(Skipped(entry, "the device path holds a control character"));
            continue;
        }
        ports.push_back(VirtualPort{*kind, std::string(path), std::string(entry)});
    }
    return ports;
}

void AppendVirtualPorts(std::vector<Port>& listed, int capacity,
                        const std::vector<VirtualPort>& ports, std::vector<std::string>& problems) {
    const std::size_t room = static_cast<std::size_t>(std::max(capacity, 0));
    for (const VirtualPort& p : ports) {
        if (listed.size() >= room) {
            problems.push_back(
                Skipped(p.entry, "already " + std::to_string(capacity) +
                                     " converters listed, the most the panel shows"));
            continue;
        }
        // A second page on the same port could never open it; say so instead of dropping it.
        const bool already = std::any_of(listed.begin(), listed.end(),
                                         [&](const Port& e) { return e.path == p.path; });
        if (already) {
            problems.push_back(Skipped(p.entry, "the port " + p.path + " is already listed"));
            continue;
        }
        if (const std::string why = NotAPort(p.path); !why.empty()) {
            problems.push_back(Skipped(p.entry, why));
            continue;
        }
        listed.push_back(Port{p.path, VirtualPortLabel(p.path), p.kind, {}});
    }
}

std::string VirtualPortLabel(const std::string& path) {
    for (const std::string_view prefix : {std::string_view("/dev/"), std::string_view("\\\\.\\")}) {
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0) {
            return path.substr(prefix.size());
        }
    }
    return path;
}

}  // namespace vexilo
