#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "discovery/device_changes.h"
#include "discovery/device_monitor.h"
#include "discovery/devices.h"
#include "serial/pelk_rs232.h"
#include "ui/window_timers.h"

namespace vexilo {

class CVexiloDlg;

// Calls its owner back from the event loop while the monitor's handle is signalled; nothing
// after it is gone.
class HotplugNotifier {
public:
    virtual ~HotplugNotifier() = default;
};

// Follows converters plugged in and out while the main window runs: when the monitor signals, it
// lists the converters again, compares with the pages, closes the pages of the ones that went
// (or were plugged in again: another device node) and adds pages for the ones that came. It runs
// on the event loop and changes pages only when the window allows it (start-up over, its own
// loop, no message box) and `canChange` does too; otherwise it tries again soon.
// Its first listing is the window's own from start-up (the monitor must watch from before it).
// Converters present without a page (their port was held by another program, or they stopped
// answering) are looked at every few seconds and on F5, quietly, on a thread of their own: the
// ones that answer with their main firmware get their page. Looking lists nothing: only a change
// the monitor reports, and F5, list the converters again.
class HotplugWatcher {
public:
    HotplugWatcher(CVexiloDlg& dlg, std::unique_ptr<CDeviceMonitor> monitor,
                   std::function<bool()> canChange);
    ~HotplugWatcher();
    HotplugWatcher(const HotplugWatcher&) = delete;
    HotplugWatcher& operator=(const HotplugWatcher&) = delete;

    // Lists the converters present now, compares them with the pages, and brings the pages in
    // line.
    void Rescan();
    // F5: Rescan, then look at every converter present without a page at once (also those whose
    // firmware was refused before).
    void RescanNow();
    // How often converters present without a page are looked at.
    void SetRecheckInterval(int ms) { m_recheck->Start(ms); }

    static constexpr int kRetryMs = 50;
    static constexpr int kRecheckMs = 3000;
    // A converter that answers does so within milliseconds; a silent one holds its port only
    // this long.
    static constexpr SerialTimeouts kLookTimeouts{300, 10, 300, 10};

    enum class Answer { Silent, Main, Refused };
    struct Looked {
        PresentDevice device;
        Answer answer = Answer::Silent;
    };

private:
    void OnSignalled();
    bool MayChange() const;
    bool HasUnpagedConverters() const;
    // Brings the pages in line with the converters `now` present.
    void Apply(std::vector<PresentDevice> now);
    // Gives converter `d` its page; false only when there was no room for it.
    bool Add(const PresentDevice& d);
    void StartLooking();
    void OnLooked(const std::vector<Looked>& results);
    void UpdateBusyNote(const std::vector<PresentDevice>& present);

    CVexiloDlg& m_dlg;
    std::unique_ptr<CDeviceMonitor> m_monitor;
    std::function<bool()> m_canChange;
    std::unique_ptr<HotplugNotifier> m_notifier;
    // On the real clock: the outside world changes whatever the tests' virtual clock says.
    std::unique_ptr<ui::PeriodicTimer> m_retry;  // stopped at its first tick
    std::unique_ptr<ui::PeriodicTimer> m_recheck;
    // The maps and sets below are keyed by Port::Id().
    // Device node of each page's converter when it got its page.
    std::map<std::string, std::string> m_pageNodes;
    // The last listing: a converter whose node is not here is new to the panel.
    std::vector<PresentDevice> m_seen;
    // Looked at and answering with the main firmware: to get a page at the next Rescan.
    std::map<std::string, std::string> m_answered;
    // Answering with a firmware that the page refuses: not looked at again until plugged in
    // again (or F5).
    std::map<std::string, std::string> m_refused;
    std::set<std::string> m_busy;     // present without a page: another program holds the port
    std::set<std::string> m_looking;  // being looked at now
    // Expires with the watcher: a look's result posted to the loop after that is dropped.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    std::thread m_looker;
};

// Wakes `onSignalled` from the event loop when the monitor's native handle is signalled (a
// readable descriptor on Linux, an event on Windows). One implementation per platform.
std::unique_ptr<HotplugNotifier> MakeHotplugNotifier(std::intptr_t handle,
                                                     std::function<void()> onSignalled);

}  // namespace vexilo
