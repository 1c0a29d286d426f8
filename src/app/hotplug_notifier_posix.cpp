// The monitor's descriptor on the Qt event loop.
#include <QSocketNotifier>
#include <utility>

#include "app/hotplug_watcher.h"

namespace vexilo {

std::unique_ptr<QObject> MakeHotplugNotifier(std::intptr_t handle,
                                             std::function<void()> onSignalled) {
    auto notifier =
        std::make_unique<QSocketNotifier>(static_cast<qintptr>(handle), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated,
                     [fn = std::move(onSignalled)] { fn(); });
    return notifier;
}

}  // namespace vexilo
