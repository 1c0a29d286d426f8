#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "discovery/device_monitor.h"
#include "discovery/devices.h"

class QObject;

namespace vexilo {

class CVexiloDlg;

// Follows converters plugged in and out while the main window runs: when the monitor signals, it
// lists the converters again, compares with those it knew, closes the pages of the ones that went
// and adds pages for the ones that came. It runs on the event loop and changes pages only when
// `canChange` allows (no command running, no message box open); otherwise it tries again soon.
class HotplugWatcher {
public:
    HotplugWatcher(CVexiloDlg& dlg, std::unique_ptr<CDeviceMonitor> monitor,
                   std::function<bool()> canChange);
    ~HotplugWatcher();
    HotplugWatcher(const HotplugWatcher&) = delete;
    HotplugWatcher& operator=(const HotplugWatcher&) = delete;

    // Compares the converters present now with those known, and brings the pages in line.
    void Rescan();

    static constexpr int kRetryMs = 50;

private:
    void OnSignalled();

    CVexiloDlg& m_dlg;
    std::unique_ptr<CDeviceMonitor> m_monitor;
    std::function<bool()> m_canChange;
    std::unique_ptr<QObject> m_notifier;
    QTimer m_retry;
    std::vector<DeviceEntry> m_known;
};

// Wakes `onSignalled` from the event loop when the monitor's native handle is signalled (a
// readable descriptor on Linux, an event on Windows). One implementation per platform.
std::unique_ptr<QObject> MakeHotplugNotifier(std::intptr_t handle,
                                             std::function<void()> onSignalled);

}  // namespace vexilo
