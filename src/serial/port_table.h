#pragma once

#include <functional>
#include <memory>
#include <string>

#include "serial/pelk_comm.h"
#include "serial/pelk_rs232.h"

namespace vexilo {

// The layers above the serial link name a port by an int, as Windows names COM ports; a number
// below 1 opens nothing. This table maps a number to what opens it and how it is labelled:
//   Windows: n is \\.\COMn, labelled "COMn", unless registered here.
//   Linux:   discovery registers each /dev/ttyACMk and gets its number back, labelled "ttyACMk".
// Virtual ports (a simulator in the same process) register with their own opener.
using CommFactory = std::function<std::unique_ptr<IPelkComm>()>;

struct PortEntry {
    std::string path;     // device path handed to the OS, empty for a virtual port
    std::string label;    // what captions show in place of "COMn"
    CommFactory factory;  // set for virtual ports
};

// Registers a port and returns its number. Registering the same non-empty path again returns
// the number it already has (and updates label and opener).
int RegisterPort(const std::string& path, const std::string& label, CommFactory factory = {});

// The entry of a registered number, or nullptr.
const PortEntry* FindPort(int port);

// The device path that opens `port`: the registered path, else the platform's default
// (\\.\COMn on Windows, nothing on Linux). Empty means the number opens nothing.
std::string PortPath(int port);

// The label of `port` for captions and titles ("COM3", "ttyACM0").
std::string PortLabel(int port);

// The byte stream for `port`: the virtual port's own opener, else a CPelkRS232 on the port with
// `timeouts` (a virtual port keeps its own).
std::unique_ptr<IPelkComm> CreatePortComm(int port,
                                          SerialTimeouts timeouts = SerialTimeouts::Standard());

// Forgets every registration (tests; the panel registers once at start-up).
void ClearPortTable();

// Platform defaults, in serial_posix.cpp / serial_win32.cpp.
std::string DefaultPortPath(int port);
std::string DefaultPortLabel(int port);
int FirstRegisteredPortNumber();

}  // namespace vexilo
