#include <csignal>

#include "cli/stop_signals.h"

namespace vexilo::cli {

namespace {

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnStop(int) {
    g_stop.store(true);
}

}  // namespace

std::atomic<bool>& StopOnSignals() {
    struct sigaction sa {};
    sa.sa_handler = OnStop;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: poll() returns at once
    ::sigaction(SIGINT, &sa, nullptr);
    ::sigaction(SIGTERM, &sa, nullptr);
    return g_stop;
}

}  // namespace vexilo::cli
