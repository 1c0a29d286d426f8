#include "cli/interrupt.h"

#include <csignal>

namespace vexilo::cli {

namespace {

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "a signal handler may only touch lock-free atomics");

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_signal{0};

using Handler = void (*)(int);
Handler g_previousInt = SIG_DFL;
Handler g_previousTerm = SIG_DFL;

extern "C" void NoteSignal(int signal) {
    g_signal.store(signal);
    g_interrupted.store(true);
}

}  // namespace

InterruptGuard::InterruptGuard() {
    g_interrupted.store(false);
    g_signal.store(0);
    g_previousInt = std::signal(SIGINT, NoteSignal);
    g_previousTerm = std::signal(SIGTERM, NoteSignal);
}

InterruptGuard::~InterruptGuard() {
    std::signal(SIGINT, g_previousInt == SIG_ERR ? SIG_DFL : g_previousInt);
    std::signal(SIGTERM, g_previousTerm == SIG_ERR ? SIG_DFL : g_previousTerm);
}

const std::atomic<bool>& InterruptGuard::Flag() const {
    return g_interrupted;
}

int InterruptGuard::Signal() const {
    return g_signal.load();
}

}  // namespace vexilo::cli
