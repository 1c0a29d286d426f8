#include "discovery/attach.h"

#include <utility>

#include "discovery/devices.h"
#include "serial/port_table.h"

namespace vexilo {

std::unique_ptr<CDevLink> AttachDeviceLink(int port, PortOpenFailure* failure) {
    DeviceEntry table[MAX_DEVICES];
    const int count = EnumerateDevices(table);
    int kind = DEVKIND_OTHER;
    for (int i = 0; i < count; ++i) {
        if (table[i].port == port) {
            kind = table[i].kind;
            break;
        }
    }
    return OpenDeviceLink(port, kind, failure);
}

std::unique_ptr<CDevLink> OpenDeviceLink(int port, int kind, PortOpenFailure* failure,
                                         SerialTimeouts timeouts) {
    std::unique_ptr<IPelkComm> comm = CreatePortComm(port, timeouts);
    const PortOpenFailure why = !comm            ? PortOpenFailure::Other
                                : comm->IsOpen() ? PortOpenFailure::None
                                                 : comm->OpenFailure();
    if (failure != nullptr) {
        *failure = why;
    }
    if (why != PortOpenFailure::None) {
        return nullptr;
    }
    return std::make_unique<CDevLink>(
        std::make_unique<CDevChannel>(std::move(comm), PortLabel(port)), port, kind);
}

}  // namespace vexilo
