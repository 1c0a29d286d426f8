#pragma once

#include <atomic>

namespace vexilo::cli {

// A flag that SIGINT and SIGTERM (Ctrl+C, Ctrl+Break on Windows) set. A wait in poll() is cut
// short by the signal, so a long-running command sees it at once.
std::atomic<bool>& StopOnSignals();

}  // namespace vexilo::cli
