#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexilo {

// The frame trace: every request and reply of every CDevChannel as one line of hex, with the
// port label and a monotonic timestamp, e.g.
//   [    12.345678] ttyACM0 > 02 0f 00 00 03 0c
//   [    12.351204] ttyACM0 < 02 0f 01 00 03 03 0f
//   [    14.360022] ttyACM0 < 02 ff (status 6)
// It is what a bug report needs first. Off unless VEXILO_TRACE is set ("1": standard error,
// anything else: a file of that name, appended to) or a program turns it on.
// Writing a line allocates nothing, so a traced transaction still allocates nothing.

// Sends the trace to `target`: "1" or "-" for standard error, else the file named `target`
// (appended to). An empty target turns the trace off. False, with `error` set, when the file
// cannot be opened; the trace is then off.
bool StartFrameTrace(std::string_view target, std::string* error = nullptr);
// Turns the trace off and closes its file.
void StopFrameTrace();
// True while lines are written.
bool FrameTraceOn();

// Reads VEXILO_TRACE once per process; CDevChannel calls it, so every program that talks to a
// converter honours the variable. A file that cannot be opened is reported on standard error.
void StartFrameTraceFromEnvironment();

// One line of the trace; nothing when it is off. `outgoing`: a request ('>'), else a reply
// ('<'). A reply that failed carries its status (see CDevChannel) after the bytes that arrived.
void TraceFrame(const std::string& label, bool outgoing, const std::uint8_t* bytes, int count,
                int status);

}  // namespace vexilo
