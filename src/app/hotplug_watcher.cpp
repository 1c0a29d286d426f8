#include "app/hotplug_watcher.h"

#include <utility>

#include "app/vexilo_dlg.h"
#include "discovery/device_changes.h"

namespace vexilo {

HotplugWatcher::HotplugWatcher(CVexiloDlg& dlg, std::unique_ptr<CDeviceMonitor> monitor,
                               std::function<bool()> canChange)
    : m_dlg(dlg),
      m_monitor(std::move(monitor)),
      m_canChange(std::move(canChange)),
      m_known(dlg.OpenDevices()) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    QObject::connect(&m_retry, &QTimer::timeout, [this] { Rescan(); });
    if (m_monitor) {
        m_notifier = MakeHotplugNotifier(m_monitor->NativeHandle(), [this] { OnSignalled(); });
    }
}

HotplugWatcher::~HotplugWatcher() = default;

void HotplugWatcher::OnSignalled() {
    if (m_monitor->Drain()) {
        Rescan();
    }
}

void HotplugWatcher::Rescan() {
    if (m_canChange && !m_canChange()) {
        m_retry.start();
        return;
    }
    const std::vector<DeviceEntry> now = ListPresentDevices();
    const DeviceChanges changes = DiffDevices(m_known, now);
    m_known = now;
    // A forced close may show a message box; what changes meanwhile is seen on the next round.
    for (int port : changes.removed) {
        m_dlg.ClosePageOfPort(port);
    }
    for (const DeviceEntry& entry : changes.added) {
        m_dlg.AddPage(entry);
    }
}

}  // namespace vexilo
