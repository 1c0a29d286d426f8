#include "discovery/attach.h"

#include <utility>

namespace vexilo {

std::unique_ptr<CDevLink> OpenDeviceLink(const Port& port, PortOpenFailure* failure,
                                         SerialTimeouts timeouts) {
    std::unique_ptr<IPelkComm> comm = OpenPortComm(port, timeouts);
    const PortOpenFailure why = !comm            ? PortOpenFailure::Other
                                : comm->IsOpen() ? PortOpenFailure::None
                                                 : comm->OpenFailure();
    if (failure != nullptr) {
        *failure = why;
    }
    if (why != PortOpenFailure::None) {
        return nullptr;
    }
    return std::make_unique<CDevLink>(std::make_unique<CDevChannel>(std::move(comm), port.label),
                                      port.kind);
}

}  // namespace vexilo
