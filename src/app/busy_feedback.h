#pragma once

#include <QObject>
#include <QtGlobal>
#include <functional>

#include "serial/wait_observer.h"

namespace vexilo {

class StartupProgress;

// Keeps the screen in step with converter commands on the user-interface thread: the busy
// cursor over the panel while a command has gone unanswered for kBusyCursorMs, and repainting
// while it waits. During start-up it also drives the progress window, which it updates after
// every transaction.
//
// Repainting runs the event loop from inside a command, so it lets through neither user input,
// nor timers, nor socket notifiers (the hotplug monitor): nothing can start a second command or
// change the pages meanwhile. A command that still starts from a posted event does not pump.
class BusyFeedback : public IWaitObserver {
public:
    // `nowMs` is a monotonic clock in milliseconds.
    explicit BusyFeedback(std::function<qint64()> nowMs);
    ~BusyFeedback() override;
    BusyFeedback(const BusyFeedback&) = delete;
    BusyFeedback& operator=(const BusyFeedback&) = delete;

    void CommandStarted() override;
    void StillWaiting() override;
    void CommandFinished() override;

    // The progress window to drive while start-up runs; null when start-up is over.
    void SetProgress(StartupProgress* progress) { m_progress = progress; }
    // True while a converter command runs (hotplug changes wait until it has returned).
    bool InCommand() const { return m_depth > 0; }
    bool CursorShown() const { return m_cursor; }
    // Restores the arrow unless a command runs; it stays busy until then, so the commands of one
    // step (a check, then a send) show one busy spell, not an arrow flashing between them.
    void RestoreWhenIdle();

    // Runs the event loop once for painting only; does nothing when already inside.
    void Repaint();

    static constexpr int kBusyCursorMs = 100;

private:
    std::function<qint64()> m_nowMs;
    StartupProgress* m_progress = nullptr;
    int m_depth = 0;
    qint64 m_startedMs = 0;
    bool m_cursor = false;
    bool m_repainting = false;
    bool m_restorePosted = false;
    QObject m_context;  // drops a restore still queued when this goes
};

}  // namespace vexilo
