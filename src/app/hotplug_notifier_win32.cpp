// The monitor's event on Windows: a thread waits for it and hands each signal to the event loop,
// then waits until the loop has drained it, so one change is one call and no signal is lost.
#include <windows.h>

#include <memory>
#include <thread>
#include <utility>

#include "app/hotplug_watcher.h"
#include "ui/win32_backend.h"
#include "ui/window_timers.h"

namespace vexilo {

namespace {

class EventNotifier : public HotplugNotifier {
public:
    EventNotifier(std::intptr_t handle, std::function<void()> onSignalled)
        : m_signal(reinterpret_cast<HANDLE>(handle)),
          m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_handled(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          m_onSignalled(std::move(onSignalled)) {
        // The calls must reach this thread's loop, not one the waiting thread would make.
        ui::win32::MessageWindow();
        if (m_stop != nullptr && m_handled != nullptr) {
            m_thread = std::thread([this] { Run(); });
        }
    }
    ~EventNotifier() override {
        if (m_thread.joinable()) {
            SetEvent(m_stop);
            m_thread.join();
        }
        for (HANDLE h : {m_stop, m_handled}) {
            if (h != nullptr) {
                CloseHandle(h);
            }
        }
    }
    EventNotifier(const EventNotifier&) = delete;
    EventNotifier& operator=(const EventNotifier&) = delete;

private:
    void Run() {
        for (;;) {
            const HANDLE signalled[] = {m_stop, m_signal};
            if (WaitForMultipleObjects(2, signalled, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
                return;
            }
            ui::PostToEventLoop([this, alive = std::weak_ptr<int>(m_alive)] {
                if (!alive.expired()) {
                    m_onSignalled();  // drains the monitor, which resets its event
                    SetEvent(m_handled);
                }
            });
            const HANDLE handled[] = {m_stop, m_handled};
            if (WaitForMultipleObjects(2, handled, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
                return;
            }
        }
    }

    HANDLE m_signal;
    HANDLE m_stop;
    HANDLE m_handled;
    std::function<void()> m_onSignalled;
    // Expires with the notifier: a call still queued then does nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    std::thread m_thread;
};

}  // namespace

std::unique_ptr<HotplugNotifier> MakeHotplugNotifier(std::intptr_t handle,
                                                     std::function<void()> onSignalled) {
    return std::make_unique<EventNotifier>(handle, std::move(onSignalled));
}

}  // namespace vexilo
