#include "app/busy_feedback.h"

#include <QApplication>
#include <QCursor>
#include <utility>

#include "app/startup_progress.h"

namespace vexilo {

BusyFeedback::BusyFeedback(std::function<qint64()> nowMs) : m_nowMs(std::move(nowMs)) {}

BusyFeedback::~BusyFeedback() {
    if (m_cursor) {
        QApplication::restoreOverrideCursor();
    }
}

void BusyFeedback::CommandStarted() {
    if (m_depth++ == 0) {
        m_startedMs = m_nowMs();
    }
}

void BusyFeedback::StillWaiting() {
    if (m_depth == 0) {
        return;
    }
    bool repaint = false;
    if (!m_cursor && m_nowMs() - m_startedMs >= kBusyCursorMs) {
        m_cursor = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        repaint = true;
    }
    // While a converter keeps us waiting, the windows keep painting.
    repaint = repaint || m_cursor || (m_progress != nullptr && m_progress->Poll());
    if (repaint) {
        Repaint();
    }
}

void BusyFeedback::CommandFinished() {
    if (m_depth == 0 || --m_depth > 0) {
        return;
    }
    if (m_cursor && !m_restorePosted) {
        // The arrow comes back once the event loop runs again, not between two commands of
        // the same handler.
        m_restorePosted = true;
        QMetaObject::invokeMethod(
            &m_context,
            [this] {
                m_restorePosted = false;
                RestoreWhenIdle();
            },
            Qt::QueuedConnection);
    }
    if (m_progress != nullptr && m_progress->Poll()) {
        Repaint();  // after every transaction of start-up
    }
}

void BusyFeedback::RestoreWhenIdle() {
    if (m_cursor && m_depth == 0) {
        m_cursor = false;
        QApplication::restoreOverrideCursor();
    }
}

void BusyFeedback::Repaint() {
    if (m_repainting) {
        return;
    }
    m_repainting = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers |
                                    QEventLoop::X11ExcludeTimers);
    m_repainting = false;
}

}  // namespace vexilo
