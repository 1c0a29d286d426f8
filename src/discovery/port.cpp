#include "discovery/port.h"

namespace vexilo {

std::unique_ptr<IPelkComm> OpenPortComm(const Port& port, SerialTimeouts timeouts) {
    if (port.opener) {
        return port.opener();
    }
    return std::make_unique<CPelkRS232>(port.path, timeouts);
}

}  // namespace vexilo
