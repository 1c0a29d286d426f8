#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vexilo {

enum class SimFaultKind {
    Silence,      // no reply at all
    Delay,        // reply after `value` ms (virtual in-process, real on a pseudo-terminal)
    Garbage,      // `value` bytes (default 5) of noise before the STX
    WrongEtx,     // ETX replaced; the check byte matches the altered frame
    WrongCheck,   // check byte wrong
    ShortReply,   // the last `value` bytes (default 1) of the frame are not sent
    Oversized,    // length field announces `value` bytes (default 4161)
    ErrorCode,    // error reply with code `value` (0 is an acknowledgement); not executed
    WrongLength,  // reply data `value` bytes longer (or shorter when negative)
    Unplug,       // no reply, and the port fails from then on
};

inline constexpr int kSimAnyCommand = -1;
inline constexpr int kSimForever = -1;

// A fault armed on a converter. It applies to requests with `command` (or any), after letting
// `skip` of them through, for `count` of them (kSimForever: always).
struct SimFaultSpec {
    SimFaultKind kind = SimFaultKind::Silence;
    int value = 0;
    int command = kSimAnyCommand;
    int count = 1;
    int skip = 0;
};

// What a transport sends back for one request.
struct SimResponse {
    std::vector<std::uint8_t> bytes;  // empty: nothing is sent
    int delayMs = 0;                  // wait before the first byte
    bool unplug = false;              // the port is gone from now on
};

// What the firmware answers to a request before any fault touches it.
struct SimReply {
    bool error = false;              // an error reply (command 0xFF); code 0 is an acknowledgement
    std::uint8_t code = 0;           // the error code of an error reply
    std::vector<std::uint8_t> data;  // the data of a data reply
};

// The bytes a transport sends for `reply` to a request with `command`, with `faults` applied in
// a fixed order: error code, reply length, length field / ETX / check byte, cut, noise and delay,
// silence. A pure function of its arguments.
SimResponse EncodeSimReply(std::uint8_t command, const SimReply& reply,
                           std::span<const SimFaultSpec> faults);

}  // namespace vexilo
