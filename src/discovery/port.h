#pragma once

#include <functional>
#include <memory>
#include <string>

#include "protocol/converter_kind.h"
#include "serial/pelk_comm.h"
#include "serial/pelk_rs232.h"

namespace vexilo {

// Opens an in-process port (a simulator in this process): a new byte stream on each call.
using PortOpener = std::function<std::unique_ptr<IPelkComm>()>;

// A converter's port as discovery lists it, passed by value to whatever opens or names it.
struct Port {
    std::string path;   // the device path the system opens ("/dev/ttyACM0", "\\.\COM3")
    std::string label;  // what captions, titles and --port show ("ttyACM0", "COM3", "pts/3")
    Kind kind = Kind::Other;
    PortOpener opener;  // set for an in-process port: opens it in place of the path

    // What tells the ports of one listing apart: the path, or the label of a port without one.
    const std::string& Id() const { return path.empty() ? label : path; }
    // The same port with the same kind; openers are not compared (one listing has one per port).
    bool operator==(const Port& other) const {
        return path == other.path && label == other.label && kind == other.kind;
    }
};

// The byte stream of `port`: its opener's (which keeps its own time-outs), else the serial port
// at its path with `timeouts`.
std::unique_ptr<IPelkComm> OpenPortComm(const Port& port,
                                        SerialTimeouts timeouts = SerialTimeouts::Standard());

}  // namespace vexilo
