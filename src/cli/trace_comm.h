#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "serial/pelk_comm.h"

namespace vexilo::cli {

// A link that writes every byte it sends and receives to `log` as hex, one line per call,
// prefixed with the port label: "ttyACM0 > 02 00 01 00 00 01 03 02". Lines from several
// converters' threads do not interleave.
std::unique_ptr<IPelkComm> TraceComm(std::unique_ptr<IPelkComm> inner, std::string label,
                                     std::ostream& log);

}  // namespace vexilo::cli
