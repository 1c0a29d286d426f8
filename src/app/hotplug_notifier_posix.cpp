// The monitor's descriptor on the Qt event loop.
#include <QSocketNotifier>
#include <utility>

#include "app/hotplug_watcher.h"

namespace vexilo {

namespace {

class SocketNotifier : public HotplugNotifier {
public:
    SocketNotifier(std::intptr_t handle, std::function<void()> onSignalled)
        : m_notifier(static_cast<qintptr>(handle), QSocketNotifier::Read) {
        QObject::connect(&m_notifier, &QSocketNotifier::activated,
                         [fn = std::move(onSignalled)] { fn(); });
    }

private:
    QSocketNotifier m_notifier;
};

}  // namespace

std::unique_ptr<HotplugNotifier> MakeHotplugNotifier(std::intptr_t handle,
                                                     std::function<void()> onSignalled) {
    return std::make_unique<SocketNotifier>(handle, std::move(onSignalled));
}

}  // namespace vexilo
