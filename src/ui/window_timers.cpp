#include "ui/window_timers.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "ui/backend.h"

namespace vexilo::ui {

namespace {
bool g_manual = false;
std::int64_t g_virtualMs = 0;
std::function<std::int64_t()> g_now;
std::function<void(std::int64_t)> g_advanceTo;
}  // namespace

std::int64_t NowMs() {
    if (g_manual) {
        return ManualTimers::Now();
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

ManualTimers::ManualTimers() {
    g_manual = true;
    g_virtualMs = 0;
}
ManualTimers::~ManualTimers() {
    g_manual = false;
    g_now = nullptr;
    g_advanceTo = nullptr;
}
bool ManualTimers::Active() {
    return g_manual;
}

void ManualTimers::UseClock(std::function<std::int64_t()> now,
                            std::function<void(std::int64_t)> advanceTo) {
    g_now = std::move(now);
    g_advanceTo = std::move(advanceTo);
}

std::int64_t ManualTimers::Now() {
    return g_now ? g_now() : g_virtualMs;
}

void ManualTimers::AdvanceTo(std::int64_t ms) {
    if (g_advanceTo) {
        g_advanceTo(ms);
    } else {
        g_virtualMs = std::max(g_virtualMs, ms);
    }
}

WindowTimers::WindowTimers(std::function<void(int)> onTick) : m_onTick(std::move(onTick)) {}

WindowTimers::~WindowTimers() = default;

int WindowTimers::Set(int id, int periodMs) {
    Entry& e = m_timers[id];
    e.running = true;
    e.periodMs = periodMs;
    e.dueMs = NowMs() + periodMs;
    if (ManualTimers::Active()) {
        return id;
    }
    if (!e.timer) {
        e.timer = MakePeriodicTimer([this, id] { Fire(id); });
    }
    e.timer->Start(periodMs);
    return id;
}

bool WindowTimers::Kill(int id) {
    // The toolkit's timer stays (stopped): a tick handler may kill its own timer.
    auto it = m_timers.find(id);
    if (it == m_timers.end() || !it->second.running) {
        return false;
    }
    it->second.running = false;
    if (it->second.timer) {
        it->second.timer->Stop();
    }
    return true;
}

void WindowTimers::KillAll() {
    for (const auto& entry : m_timers) {
        Kill(entry.first);
    }
}

bool WindowTimers::IsRunning(int id) const {
    auto it = m_timers.find(id);
    return it != m_timers.end() && it->second.running;
}

int WindowTimers::Period(int id) const {
    return IsRunning(id) ? m_timers.at(id).periodMs : -1;
}

bool WindowTimers::Fire(int id) {
    if (!IsRunning(id)) {
        return false;
    }
    Entry& e = m_timers.at(id);
    if (ManualTimers::Active() && NowMs() < e.dueMs) {
        ManualTimers::AdvanceTo(e.dueMs);
    }
    e.dueMs = std::max(e.dueMs, NowMs()) + e.periodMs;
    m_onTick(id);  // may kill this or another timer of the window
    return true;
}

bool WindowTimers::FireIfDue(int id) {
    return IsRunning(id) && NowMs() >= m_timers.at(id).dueMs && Fire(id);
}

}  // namespace vexilo::ui
