#pragma once

#include <memory>

#include "protocol/dev_link.h"
#include "serial/pelk_rs232.h"

namespace vexilo {

// Binds port `port` to a new device record: the kind comes from a fresh enumeration
// (DEVKIND_OTHER when the port is not among the converters), the port is opened through the port
// table. Returns null, holding nothing, when the port does not open (unplugged, held by another
// program, no access), with the reason in `failure` when given. Shows no message; the page base
// class keeps the result as m_pDevice.
std::unique_ptr<CDevLink> AttachDeviceLink(int port, PortOpenFailure* failure = nullptr);

// Opens `port` for a converter of `kind` already enumerated, the way AttachDeviceLink opens it
// (exclusively). Null when it does not open; `failure` then says why. A quick look at a
// converter may pass shorter `timeouts`.
std::unique_ptr<CDevLink> OpenDeviceLink(int port, int kind, PortOpenFailure* failure = nullptr,
                                         SerialTimeouts timeouts = SerialTimeouts::Standard());

}  // namespace vexilo
