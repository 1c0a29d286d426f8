// Converters on Windows: the USB CDC devices that SetupAPI lists under the usbser service.
// Each converter's port is its COM port, opened as \\.\COMn.
#include <windows.h>
// clang-format off
#include <setupapi.h>
// clang-format on

#include <cstring>
#include <string>
#include <vector>

#include "discovery/setupapi_seam.h"

namespace vexilo {
namespace {

class CSetupApiDeviceSet final : public IDeviceInfoSet {
public:
    explicit CSetupApiDeviceSet(HDEVINFO set) : m_set(set) {}
    ~CSetupApiDeviceSet() override { ::SetupDiDestroyDeviceInfoList(m_set); }
    CSetupApiDeviceSet(const CSetupApiDeviceSet&) = delete;
    CSetupApiDeviceSet& operator=(const CSetupApiDeviceSet&) = delete;

    bool Device(std::uint32_t index, std::uint32_t& devInst) override {
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        if (!::SetupDiEnumDeviceInfo(m_set, index, &data)) {
            return false;
        }
        m_index = index;
        m_data = data;
        devInst = data.DevInst;
        return true;
    }

    std::optional<std::wstring> Property(std::uint32_t index, DeviceProperty property) override {
        if (index != m_index) {
            std::uint32_t devInst = 0;
            if (!Device(index, devInst)) {
                return std::nullopt;
            }
        }
        const DWORD which = static_cast<DWORD>(property);
        // First learn the size, then read into a buffer of exactly that many bytes.
        DWORD size = 0;
        ::SetupDiGetDeviceRegistryPropertyW(m_set, &m_data, which, nullptr, nullptr, 0, &size);
        if (size == 0) {
            return std::nullopt;
        }
        std::vector<BYTE> buffer(size);
        if (!::SetupDiGetDeviceRegistryPropertyW(m_set, &m_data, which, nullptr, buffer.data(),
                                                 size, nullptr)) {
            return std::nullopt;
        }
        std::wstring text(size / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), buffer.data(), text.size() * sizeof(wchar_t));
        return text;
    }

private:
    HDEVINFO m_set;
    std::uint32_t m_index = UINT32_MAX;
    SP_DEVINFO_DATA m_data{};
};

std::wstring VendorIdText() {
    const std::string narrow = UsbVendorIdText();
    return std::wstring(narrow.begin(), narrow.end());  // four hex digits: ASCII
}

}  // namespace

std::unique_ptr<IDeviceInfoSet> OpenSystemDeviceSet() {
    const HDEVINFO set =
        ::SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    return std::make_unique<CSetupApiDeviceSet>(set);
}

std::vector<Port> EnumerateSystemDevices(int capacity) {
    if (capacity <= 0) {
        return {};
    }
    const std::unique_ptr<IDeviceInfoSet> devices = OpenSystemDeviceSet();
    if (!devices) {
        return {};
    }
    return MatchConverters(*devices, VendorIdText(), capacity);
}

}  // namespace vexilo
