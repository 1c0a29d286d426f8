#include "ui/window_timers.h"

#include <utility>

namespace vexilo::ui {

namespace {
bool g_manual = false;
}

ManualTimers::ManualTimers() {
    g_manual = true;
}
ManualTimers::~ManualTimers() {
    g_manual = false;
}
bool ManualTimers::Active() {
    return g_manual;
}

WindowTimers::WindowTimers(std::function<void(int)> onTick) : m_onTick(std::move(onTick)) {}

WindowTimers::~WindowTimers() = default;

int WindowTimers::Set(int id, int periodMs) {
    Entry& e = m_timers[id];
    e.running = true;
    e.periodMs = periodMs;
    if (ManualTimers::Active()) {
        return id;
    }
    if (!e.timer) {
        e.timer = std::make_unique<QTimer>();
        QObject::connect(e.timer.get(), &QTimer::timeout, [this, id] { Fire(id); });
    }
    e.timer->start(periodMs);
    return id;
}

bool WindowTimers::Kill(int id) {
    // The QTimer stays (stopped): a tick handler may kill its own timer.
    auto it = m_timers.find(id);
    if (it == m_timers.end() || !it->second.running) {
        return false;
    }
    it->second.running = false;
    if (it->second.timer) {
        it->second.timer->stop();
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
    m_onTick(id);  // may kill this or another timer of the window
    return true;
}

}  // namespace vexilo::ui
