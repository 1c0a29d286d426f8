#pragma once

#include <QTimer>
#include <functional>
#include <map>
#include <memory>

namespace vexilo::ui {

// Timers of one window, addressed by ID like Windows' SetTimer/KillTimer. Each tick calls the
// owner's callback with the ID. While a ManualTimers object exists, newly set timers run no
// clock: they only record that they are set, and Fire() delivers a tick. Tests use that to
// drive polling and auto-repeat deterministically.
class WindowTimers {
public:
    explicit WindowTimers(std::function<void(int)> onTick);
    WindowTimers(const WindowTimers&) = delete;
    WindowTimers& operator=(const WindowTimers&) = delete;
    ~WindowTimers();

    // Starts timer `id` (or restarts it with the new period); returns `id`.
    int Set(int id, int periodMs);
    // Stops timer `id`; false when it was not running.
    bool Kill(int id);
    void KillAll();
    bool IsRunning(int id) const;
    // Period of a running timer, -1 when it is not running.
    int Period(int id) const;
    // Delivers one tick of timer `id` when it is running; returns whether it was.
    bool Fire(int id);

private:
    struct Entry {
        bool running = false;
        int periodMs = 0;
        std::unique_ptr<QTimer> timer;  // kept for reuse once made; never made under ManualTimers
    };
    std::map<int, Entry> m_timers;
    std::function<void(int)> m_onTick;
};

// Scope in which timers are fired by hand (tests only). Not nestable.
class ManualTimers {
public:
    ManualTimers();
    ManualTimers(const ManualTimers&) = delete;
    ManualTimers& operator=(const ManualTimers&) = delete;
    ~ManualTimers();

    static bool Active();
};

}  // namespace vexilo::ui
