#pragma once

namespace vexilo {

// Watches the current thread's converter commands while they block, so a user interface can show
// that it is busy and keep painting while a converter is slow. Every call arrives on the thread
// that runs the command; each thread has its own observer (or none), so worker threads of a
// command-line tool never call into a user interface.
class IWaitObserver {
public:
    virtual ~IWaitObserver() = default;
    // A transaction begins (the protocol layer calls this and CommandFinished around each one).
    virtual void CommandStarted() = 0;
    // About every kWaitTickMs while a serial read or write of the command waits for the line.
    virtual void StillWaiting() = 0;
    // The transaction has its reply or has given up.
    virtual void CommandFinished() = 0;
};

inline constexpr int kWaitTickMs = 20;

// The current thread's observer, or null.
IWaitObserver* CurrentWaitObserver();
// Installs `observer` (null removes it) for the current thread; returns the previous one.
IWaitObserver* SetWaitObserver(IWaitObserver* observer);

// Reports one command to the current thread's observer, if any, for its lifetime.
class ObservedCommand {
public:
    ObservedCommand();
    ~ObservedCommand();
    ObservedCommand(const ObservedCommand&) = delete;
    ObservedCommand& operator=(const ObservedCommand&) = delete;

private:
    IWaitObserver* m_observer;
};

}  // namespace vexilo
