// Window timers on QTimer.
#include <QCoreApplication>
#include <QTimer>
#include <utility>

#include "ui/backend.h"

namespace vexilo::ui {

namespace {

class QtPeriodicTimer : public PeriodicTimer {
public:
    explicit QtPeriodicTimer(std::function<void()> tick) {
        QObject::connect(&m_timer, &QTimer::timeout, std::move(tick));
    }
    void Start(int periodMs) override { m_timer.start(periodMs); }
    void Stop() override { m_timer.stop(); }

private:
    QTimer m_timer;
};

}  // namespace

std::unique_ptr<PeriodicTimer> MakePeriodicTimer(std::function<void()> tick) {
    return std::make_unique<QtPeriodicTimer>(std::move(tick));
}

void PostToEventLoop(std::function<void()> fn) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

}  // namespace vexilo::ui
