#pragma once

#include <cstdint>
#include <string>

namespace vexilo {

// Why the last Open failed: the start-up message tells the user what to do about it.
enum class PortOpenFailure {
    None,        // the port is open
    Busy,        // another program holds it
    Permission,  // the user may not open it
    Gone,        // the device is not there (unplugged)
    Other,
};

// Byte stream to one converter. The framing layer sees a converter only through this interface,
// so tests and the simulator can stand in for a real serial port.
class IPelkComm {
public:
    virtual ~IPelkComm() = default;

    // True while a port handle is held.
    virtual bool IsOpen() const = 0;
    // Closes any port held, then opens the port at `path` (an in-process link, which has no
    // path, opens its own converter again); returns IsOpen().
    virtual bool Open(const std::string& path) = 0;
    // Why the last Open failed; None while open.
    virtual PortOpenFailure OpenFailure() const {
        return IsOpen() ? PortOpenFailure::None : PortOpenFailure::Other;
    }
    // Writes `count` bytes and waits until they have left; failures are silent.
    virtual void Write(const std::uint8_t* buffer, int count) = 0;
    // Reads up to `count` bytes within the read time-out; returns how many arrived, 0 on failure.
    virtual int Read(std::uint8_t* buffer, int count) = 0;
    // Discards everything pending in both directions.
    virtual void Purge() = 0;
};

}  // namespace vexilo
