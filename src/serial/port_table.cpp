#include "serial/port_table.h"

#include <map>

#include "serial/pelk_rs232.h"

namespace vexilo {
namespace {

struct Table {
    std::map<int, PortEntry> entries;
    int next = 0;
};

Table& TheTable() {
    static Table table;
    return table;
}

}  // namespace

int RegisterPort(const std::string& path, const std::string& label, CommFactory factory) {
    Table& t = TheTable();
    if (!path.empty()) {
        for (auto& [number, entry] : t.entries) {
            if (entry.path == path) {
                entry.label = label;
                entry.factory = std::move(factory);
                return number;
            }
        }
    }
    if (t.next < FirstRegisteredPortNumber()) {
        t.next = FirstRegisteredPortNumber();
    }
    const int number = t.next++;
    t.entries[number] = PortEntry{path, label, std::move(factory)};
    return number;
}

const PortEntry* FindPort(int port) {
    const Table& t = TheTable();
    auto it = t.entries.find(port);
    return it == t.entries.end() ? nullptr : &it->second;
}

std::string PortPath(int port) {
    if (port < 1) {
        return {};
    }
    if (const PortEntry* e = FindPort(port)) {
        return e->path;
    }
    return DefaultPortPath(port);
}

std::string PortLabel(int port) {
    if (const PortEntry* e = FindPort(port); e && !e->label.empty()) {
        return e->label;
    }
    return DefaultPortLabel(port);
}

std::unique_ptr<IPelkComm> CreatePortComm(int port, SerialTimeouts timeouts) {
    if (const PortEntry* e = FindPort(port); e && e->factory) {
        return e->factory();
    }
    return std::make_unique<CPelkRS232>(port, timeouts);
}

void ClearPortTable() {
    TheTable() = Table{};
}

}  // namespace vexilo
