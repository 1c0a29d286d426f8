#pragma once

#include <memory>

#include "discovery/port.h"
#include "protocol/dev_link.h"
#include "serial/pelk_rs232.h"

namespace vexilo {

// Opens `port` (exclusively) for a new record of a converter of the port's kind. Returns null,
// holding nothing, when the port does not open (unplugged, held by another program, no access),
// with the reason in `failure` when given. A quick look at a converter may pass shorter
// `timeouts`. Shows no message; a page keeps the result as m_pDevice.
std::unique_ptr<CDevLink> OpenDeviceLink(const Port& port, PortOpenFailure* failure = nullptr,
                                         SerialTimeouts timeouts = SerialTimeouts::Standard());

}  // namespace vexilo
