// Hotplug on Windows: Configuration Manager notifications for COM-port interfaces. The callback
// runs on a system thread, so it only raises an event that the user-interface thread waits for;
// what changed is found there by a fresh SetupAPI walk.
#include <windows.h>
// clang-format off: cfgmgr32.h needs windows.h first
#include <cfgmgr32.h>
// clang-format on

#include <atomic>

#include "discovery/device_changes.h"
#include "discovery/device_monitor.h"

namespace vexilo {
namespace {

// Looked up at run time: Windows 8 and later have them, and MinGW's headers do not declare them.
using RegisterFn = CONFIGRET(WINAPI*)(PCM_NOTIFY_FILTER, PVOID, PCM_NOTIFY_CALLBACK,
                                      PHCMNOTIFICATION);
using UnregisterFn = CONFIGRET(WINAPI*)(HCMNOTIFICATION);

template <typename Fn>
Fn CfgMgrFunction(const char* name) {
    const HMODULE module = LoadLibraryW(L"cfgmgr32.dll");
    return module != nullptr
               ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
               : nullptr;
}

// GUID_DEVINTERFACE_COMPORT: the interface every COM port, usbser's included, registers.
constexpr GUID kComPortInterface = {
    0x86E0D1E0, 0x8089, 0x11D0, {0x9C, 0xE4, 0x08, 0x00, 0x3E, 0x30, 0x1F, 0x73}};

class CComPortMonitor final : public CDeviceMonitor {
public:
    CComPortMonitor() = default;
    CComPortMonitor(const CComPortMonitor&) = delete;
    CComPortMonitor& operator=(const CComPortMonitor&) = delete;
    ~CComPortMonitor() override {
        if (m_notify != nullptr && m_unregister != nullptr) {
            m_unregister(m_notify);  // waits for a callback that is running
        }
        if (m_event != nullptr) {
            CloseHandle(m_event);
        }
    }

    bool Open() {
        const auto registerNotification = CfgMgrFunction<RegisterFn>("CM_Register_Notification");
        m_unregister = CfgMgrFunction<UnregisterFn>("CM_Unregister_Notification");
        m_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (m_event == nullptr || registerNotification == nullptr || m_unregister == nullptr) {
            return false;
        }
        CM_NOTIFY_FILTER filter{};
        filter.cbSize = sizeof filter;
        filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
        filter.u.DeviceInterface.ClassGuid = kComPortInterface;
        return registerNotification(&filter, this, &CComPortMonitor::OnNotify, &m_notify) ==
               CR_SUCCESS;
    }

    std::intptr_t NativeHandle() const override { return reinterpret_cast<std::intptr_t>(m_event); }

    bool Drain() override {
        ResetEvent(m_event);
        return m_pending.exchange(false);
    }

private:
    static DWORD CALLBACK OnNotify(HCMNOTIFICATION, PVOID context, CM_NOTIFY_ACTION action,
                                   PCM_NOTIFY_EVENT_DATA, DWORD) {
        auto* self = static_cast<CComPortMonitor*>(context);
        if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL ||
            action == CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL) {
            self->m_pending = true;
            SetEvent(self->m_event);
        }
        return ERROR_SUCCESS;
    }

    HANDLE m_event = nullptr;
    HCMNOTIFICATION m_notify = nullptr;
    UnregisterFn m_unregister = nullptr;
    std::atomic<bool> m_pending{false};
};

}  // namespace

std::unique_ptr<CDeviceMonitor> OpenDeviceMonitor() {
    auto monitor = std::make_unique<CComPortMonitor>();
    if (!monitor->Open()) {
        return nullptr;
    }
    return monitor;
}

// A COM port's name is not a file to look for; the SetupAPI walk lists only present devices.
std::optional<std::string> DeviceNodeOf(const Port&) {
    return std::string();
}

}  // namespace vexilo
