#include "discovery/attach.h"

#include <utility>

#include "discovery/devices.h"
#include "serial/port_table.h"

namespace vexilo {

std::unique_ptr<CDevLink> AttachDeviceLink(int port) {
    DeviceEntry table[MAX_DEVICES];
    const int count = EnumerateDevices(table);
    int kind = DEVKIND_OTHER;
    for (int i = 0; i < count; ++i) {
        if (table[i].port == port) {
            kind = table[i].kind;
            break;
        }
    }
    return OpenDeviceLink(port, kind);
}

std::unique_ptr<CDevLink> OpenDeviceLink(int port, int kind, OpenFailure* failure) {
    std::unique_ptr<IPelkComm> comm = CreatePortComm(port);
    if (!comm || !comm->IsOpen()) {
        if (failure != nullptr) {
            *failure = comm ? comm->LastOpenFailure() : OpenFailure::kOther;
        }
        return nullptr;
    }
    if (failure != nullptr) {
        *failure = OpenFailure::kNone;
    }
    return std::make_unique<CDevLink>(std::make_unique<CDevChannel>(std::move(comm)), port, kind);
}

}  // namespace vexilo
