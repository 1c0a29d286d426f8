#pragma once

#include <atomic>

namespace vexilo::cli {

// Ctrl-C and SIGTERM while a command changes converters. The handler only notes the signal; the
// command checks the flag between commands to a converter, finishes the one in flight, stops and
// says what it did. While a guard lives its handlers replace the default ones, which end the
// process at once; the destructor puts the previous ones back.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Set once a signal arrived.
    const std::atomic<bool>& Flag() const;
    // The signal that arrived (SIGINT, SIGTERM), 0 for none.
    int Signal() const;
};

}  // namespace vexilo::cli
