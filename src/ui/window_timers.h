#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

namespace vexilo::ui {

// A timer that calls its tick function from the event loop every period until stopped. It runs
// on the real clock even under ManualTimers: the application's watch on the world outside (devices
// plugged in and out) uses it directly, the windows' own timers through WindowTimers.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
    virtual void Start(int periodMs) = 0;  // (re)starts with this period
    virtual void Stop() = 0;
};
std::unique_ptr<PeriodicTimer> MakePeriodicTimer(std::function<void()> tick);

// Runs `fn` later from the user-interface thread's event loop. Callable from any thread (a worker
// hands its result back this way) once that thread has made a window, a timer or a posted call
// of the kit: on Windows the first of them decides which thread's loop runs the calls.
void PostToEventLoop(std::function<void()> fn);

// Milliseconds of a steady clock; under ManualTimers, the tests' virtual clock.
std::int64_t NowMs();

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
    // Delivers one tick of timer `id` when it is running; returns whether it was. Under
    // ManualTimers the virtual clock first moves on to the tick's time.
    bool Fire(int id);
    // Fire(), but only when the tick is due by the clock (a tick that came due while the window
    // was blocked).
    bool FireIfDue(int id);

private:
    struct Entry {
        bool running = false;
        int periodMs = 0;
        std::int64_t dueMs = 0;
        // The toolkit's timer, kept for reuse once made; never made under ManualTimers.
        std::unique_ptr<PeriodicTimer> timer;
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

    // The virtual clock starts at 0 and only moves when a timer fires. A test may run it on
    // another virtual clock instead (the simulator's, which its transactions move).
    void UseClock(std::function<std::int64_t()> now, std::function<void(std::int64_t)> advanceTo);
    static std::int64_t Now();
    static void AdvanceTo(std::int64_t ms);
};

}  // namespace vexilo::ui
