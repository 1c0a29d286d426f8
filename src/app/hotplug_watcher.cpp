#include "app/hotplug_watcher.h"

#include <algorithm>
#include <utility>

#include "app/vexilo_dlg.h"
#include "discovery/attach.h"
#include "model/converter.h"

namespace vexilo {

namespace {

bool Has(const std::map<std::string, std::string>& map, const PresentDevice& device) {
    const auto it = map.find(device.port.Id());
    return it != map.end() && it->second == device.node;
}

bool Has(const std::vector<PresentDevice>& list, const PresentDevice& device) {
    return std::any_of(list.begin(), list.end(), [&](const PresentDevice& d) {
        return d.port.Id() == device.port.Id() && d.node == device.node;
    });
}

// Runs on the looking thread: the converter is its own until it is closed here.
HotplugWatcher::Answer LookAt(model::Converter& converter) {
    if (!converter.Link()->CheckConnection(1, false)) {
        return HotplugWatcher::Answer::Silent;
    }
    return converter.Identify() ? HotplugWatcher::Answer::Main : HotplugWatcher::Answer::Refused;
}

}  // namespace

HotplugWatcher::HotplugWatcher(CVexiloDlg& dlg, std::unique_ptr<CDeviceMonitor> monitor,
                               std::function<bool()> canChange)
    : m_dlg(dlg),
      m_monitor(std::move(monitor)),
      m_canChange(std::move(canChange)),
      m_retry(ui::MakePeriodicTimer([this] {
          m_retry->Stop();
          Rescan();
      })),
      m_recheck(ui::MakePeriodicTimer([this] {
          if (HasUnpagedConverters()) {
              StartLooking();
          }
      })) {
    m_seen = PresentAmong(m_dlg.Listed());
    for (const Port& p : m_dlg.OpenDevices()) {
        const auto it = std::find_if(m_seen.begin(), m_seen.end(),
                                     [&](const PresentDevice& d) { return d.port.Id() == p.Id(); });
        if (it != m_seen.end()) {
            m_pageNodes[p.Id()] = it->node;
        }
    }
    for (const Port& p : m_dlg.BusyPorts()) {
        m_busy.insert(p.Id());
    }
    m_recheck->Start(kRecheckMs);
    if (m_monitor) {
        m_notifier = MakeHotplugNotifier(m_monitor->NativeHandle(), [this] { OnSignalled(); });
    }
    m_dlg.m_onRescan = [this] { RescanNow(); };
}

HotplugWatcher::~HotplugWatcher() {
    m_dlg.m_onRescan = nullptr;
    if (m_looker.joinable()) {
        m_looker.join();  // bounded by the short time-outs of a look
    }
}

void HotplugWatcher::OnSignalled() {
    if (m_monitor->Drain()) {
        Rescan();
    }
}

bool HotplugWatcher::MayChange() const {
    return m_dlg.MayChangePages() && (!m_canChange || m_canChange());
}

bool HotplugWatcher::HasUnpagedConverters() const {
    return std::any_of(m_seen.begin(), m_seen.end(), [this](const PresentDevice& d) {
        return m_dlg.OpenPageOfPort(d.port) == nullptr && !Has(m_refused, d);
    });
}

void HotplugWatcher::Rescan() {
    if (!MayChange()) {
        m_retry->Start(kRetryMs);
        return;
    }
    Apply(ListPresentDevices());
}

void HotplugWatcher::Apply(std::vector<PresentDevice> now) {
    std::vector<PresentDevice> pages;
    for (const Port& p : m_dlg.OpenDevices()) {
        const auto it = m_pageNodes.find(p.Id());
        pages.push_back({p, it != m_pageNodes.end() ? it->second : std::string()});
    }
    const DeviceChanges changes = DiffDevices(pages, now);
    const std::vector<PresentDevice> before = std::exchange(m_seen, now);  // the round before
    // Taken first and closed last: a converter plugged in again (or in place of the last one)
    // gets its page before the old one closes, so that close does not end the program.
    std::vector<CDevDialog*> gone;
    for (const Port& port : changes.removed) {
        gone.push_back(m_dlg.OpenPageOfPort(port));
    }
    std::vector<PresentDevice> toAdd;
    for (const PresentDevice& d : changes.added) {
        // Converters seen before without a page wait for a look that finds them answering.
        if ((Has(before, d) && !Has(m_answered, d)) || m_looking.count(d.port.Id()) > 0) {
            continue;
        }
        toAdd.push_back(d);
    }
    std::vector<PresentDevice> noRoom;
    for (const PresentDevice& d : toAdd) {
        if (!Add(d)) {
            noRoom.push_back(d);
        }
    }
    // A forced close may show a message box; what changes meanwhile is seen on the next round.
    for (CDevDialog* page : gone) {
        m_dlg.ClosePage(page);
    }
    // The places of the converters that went are free now.
    for (const PresentDevice& d : noRoom) {
        Add(d);
    }
    UpdateBusyNote(now);
}

bool HotplugWatcher::Add(const PresentDevice& d) {
    const std::string& port = d.port.Id();
    const bool answered = Has(m_answered, d);
    m_answered.erase(port);
    PortOpenFailure failure = PortOpenFailure::None;
    switch (m_dlg.AddPage(d.port, &failure)) {
        case CVexiloDlg::AddResult::Added:
            m_pageNodes[port] = d.node;
            break;
        case CVexiloDlg::AddResult::NoRoom:
            return false;
        case CVexiloDlg::AddResult::NotOpened:
            if (failure == PortOpenFailure::Busy && !m_dlg.StartupHoldsPort(d.port)) {
                m_busy.insert(port);
            }
            break;
        case CVexiloDlg::AddResult::StartupFailed:
            // It answered a look, yet its page could not start: no box after box for it.
            if (answered) {
                m_refused[port] = d.node;
            }
            break;
        case CVexiloDlg::AddResult::NotYet:
            break;  // looked at again later
    }
    return true;
}

void HotplugWatcher::RescanNow() {
    m_refused.clear();
    Rescan();
    StartLooking();
}

void HotplugWatcher::StartLooking() {
    if (m_looker.joinable() || !MayChange() || !m_dlg.HasRoomForPage()) {
        return;
    }
    struct Job {
        PresentDevice device;
        std::unique_ptr<CDevLink> link;
    };
    std::vector<Job> jobs;
    // The last listing: the converters are listed again only when the monitor reports a change.
    const std::vector<PresentDevice> now = m_seen;
    for (const PresentDevice& d : now) {
        const std::string& port = d.port.Id();
        // A start-up read the operator went on without still holds its port for a moment.
        if (m_dlg.OpenPageOfPort(d.port) != nullptr || Has(m_refused, d) ||
            m_dlg.StartupHoldsPort(d.port)) {
            continue;
        }
        // Opened here, so that a held port is told at once; only the talking happens on the thread.
        PortOpenFailure failure = PortOpenFailure::None;
        std::unique_ptr<CDevLink> link = OpenDeviceLink(d.port, &failure, kLookTimeouts);
        if (failure == PortOpenFailure::Busy) {
            m_busy.insert(port);
        } else {
            m_busy.erase(port);
        }
        if (link) {
            m_looking.insert(port);
            jobs.push_back({d, std::move(link)});
        }
    }
    UpdateBusyNote(now);
    if (jobs.empty()) {
        return;
    }
    m_looker = std::thread([this, jobs = std::move(jobs)]() mutable {
        std::vector<Looked> results;
        for (Job& job : jobs) {
            {
                // The port is free again, when the converter goes, before the page opens it.
                model::Converter converter(std::move(job.link));
                results.push_back({job.device, LookAt(converter)});
            }
        }
        ui::PostToEventLoop([this, alive = std::weak_ptr<int>(m_alive), results] {
            if (!alive.expired()) {
                OnLooked(results);
            }
        });
    });
}

void HotplugWatcher::OnLooked(const std::vector<Looked>& results) {
    m_looker.join();
    m_looking.clear();
    bool answered = false;
    for (const Looked& r : results) {
        if (r.answer == Answer::Main) {
            m_answered[r.device.port.Id()] = r.device.node;
            answered = true;
        } else if (r.answer == Answer::Refused) {
            m_refused[r.device.port.Id()] = r.device.node;
        }
    }
    if (!answered) {
        return;
    }
    // The ones that answered are in the last listing: they get their pages without another.
    if (MayChange()) {
        Apply(m_seen);
    } else {
        m_retry->Start(kRetryMs);
    }
}

void HotplugWatcher::UpdateBusyNote(const std::vector<PresentDevice>& present) {
    std::vector<Port> busy;
    std::set<std::string> still;
    for (const PresentDevice& d : present) {
        if (m_busy.count(d.port.Id()) > 0 && m_dlg.OpenPageOfPort(d.port) == nullptr) {
            busy.push_back(d.port);
            still.insert(d.port.Id());
        }
    }
    m_busy = std::move(still);
    if (busy != m_dlg.BusyPorts()) {
        m_dlg.ShowBusyPorts(busy);
    }
}

}  // namespace vexilo
