// The monitor's event on the Qt event loop.
#include <QWinEventNotifier>
#include <utility>

#include "app/hotplug_watcher.h"

namespace vexilo {

std::unique_ptr<QObject> MakeHotplugNotifier(std::intptr_t handle,
                                             std::function<void()> onSignalled) {
    auto notifier = std::make_unique<QWinEventNotifier>(reinterpret_cast<Qt::HANDLE>(handle));
    QObject::connect(notifier.get(), &QWinEventNotifier::activated,
                     [fn = std::move(onSignalled)] { fn(); });
    return notifier;
}

}  // namespace vexilo
