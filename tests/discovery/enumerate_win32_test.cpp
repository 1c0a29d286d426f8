// The real SetupAPI walk under Wine, which lists devices but never a USB CDC converter.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "discovery/setupapi_seam.h"

namespace vexilo {
namespace {

TEST(EnumerateWin32, WalksTheSystemSetAndFindsNoConverterUnderWine) {
    EXPECT_TRUE(EnumerateSystemDevices(MAX_DEVICES).empty());
    EXPECT_TRUE(EnumerateSystemDevices(0).empty());
}

TEST(EnumerateWin32, ReadsThePropertiesOfRealDevices) {
    const auto devices = OpenSystemDeviceSet();
    ASSERT_NE(devices, nullptr);
    std::uint32_t index = 0;
    std::uint32_t devInst = 0;
    int withHardwareId = 0;
    for (; index < 1000 && devices->Device(index, devInst); ++index) {
        if (const auto ids = devices->Property(index, DeviceProperty::HardwareId)) {
            EXPECT_FALSE(FirstString(*ids).empty());
            ++withHardwareId;
        }
        devices->Property(index, DeviceProperty::Service);
        devices->Property(index, DeviceProperty::FriendlyName);
    }
    EXPECT_LT(index, 1000u);
    EXPECT_GT(withHardwareId, 0) << "Wine lists its own root devices with hardware IDs";
    // A device number past the end reads as nothing.
    EXPECT_FALSE(devices->Property(index + 5, DeviceProperty::Service).has_value());
}

TEST(EnumerateWin32, PortNumbersReadAsTheCLibrarysWtoiReadsThem) {
    for (const wchar_t* text : {L"12", L" 7", L"\t+8", L"-2", L"", L"x5", L"4a", L"0010",
                                L"99999999999", L"-99999999999", L"2147483647", L"+", L"- 3"}) {
        const std::wstring name = L"Device (COM" + std::wstring(text) + L")";
        EXPECT_EQ(PortFromFriendlyName(name), _wtoi(text)) << text;
    }
}

}  // namespace
}  // namespace vexilo
