// Matching of the converters among SetupAPI's devices, on property values as a machine reports
// them (REG_SZ with its NUL, REG_MULTI_SZ with its separators).
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "discovery/setupapi_seam.h"

namespace vexilo {
namespace {

using namespace std::string_literals;

// One device as SetupAPI would report it; an empty optional is a property that cannot be read.
struct RecordedDevice {
    std::optional<std::wstring> service;
    std::uint32_t devInst;
    std::optional<std::wstring> hardwareIds;
    std::optional<std::wstring> friendlyName;
};

class RecordedDeviceSet : public IDeviceInfoSet {
public:
    explicit RecordedDeviceSet(std::vector<RecordedDevice> devices)
        : m_devices(std::move(devices)) {}

    bool Device(std::uint32_t index, std::uint32_t& devInst) override {
        highestAsked = std::max<int>(highestAsked, static_cast<int>(index));
        if (index >= m_devices.size()) {
            return false;
        }
        devInst = m_devices[index].devInst;
        return true;
    }
    std::optional<std::wstring> Property(std::uint32_t index, DeviceProperty property) override {
        const RecordedDevice& d = m_devices.at(index);
        switch (property) {
            case DeviceProperty::Service:
                return d.service;
            case DeviceProperty::HardwareId:
                return d.hardwareIds;
            case DeviceProperty::FriendlyName:
                return d.friendlyName;
        }
        return std::nullopt;
    }

    int highestAsked = -1;

private:
    std::vector<RecordedDevice> m_devices;
};

const std::wstring kVendor = L"3E57";

std::wstring Sz(const std::wstring& text) {
    return text + L'\0';
}
std::wstring MultiSz(std::initializer_list<std::wstring> strings) {
    std::wstring out;
    for (const auto& s : strings) {
        out += s + L'\0';
    }
    return out + L'\0';
}

// A converter as Windows lists it: service, instance, hardware IDs (most specific first), name.
RecordedDevice Converter(const std::wstring& product, int com) {
    const std::wstring id = L"USB\\VID_3E57&PID_" + product;
    return {Sz(L"usbser"), 0x1234, MultiSz({id + L"&REV_0100", id}),
            Sz(L"USB Serial Device (COM" + std::to_wstring(com) + L")")};
}

std::vector<Port> Match(std::vector<RecordedDevice> devices, int capacity = MAX_DEVICES) {
    RecordedDeviceSet set(std::move(devices));
    return MatchConverters(set, kVendor, capacity);
}

TEST(SetupApiMatch, EachProductOfTheFamilyIsListedWithItsKind) {
    const struct {
        const wchar_t* product;
        Kind kind;
    } cases[] = {
        {L"0020", Kind::Other}, {L"0021", Kind::Dvi},   {L"0022", Kind::Rgb},
        {L"0023", Kind::Ntsc},  {L"0024", Kind::Other}, {L"002F", Kind::Other},
    };
    for (const auto& c : cases) {
        const auto found = Match({Converter(c.product, 5)});
        ASSERT_EQ(found.size(), 1u) << c.product;
        EXPECT_EQ(found[0], ComPort(5, c.kind));
    }
}

TEST(SetupApiMatch, OtherDevicesAreNotListed) {
    const std::wstring rgb = L"USB\\VID_3E57&PID_0022";
    const auto name = Sz(L"USB Serial Device (COM4)");
    const struct {
        const char* why;
        RecordedDevice device;
    } cases[] = {
        {"another vendor", {Sz(L"usbser"), 1, MultiSz({L"USB\\VID_3E58&PID_0022"}), name}},
        {"vendor in lower case", {Sz(L"usbser"), 1, MultiSz({L"USB\\VID_3e57&PID_0022"}), name}},
        {"product below the family",
         {Sz(L"usbser"), 1, MultiSz({L"USB\\VID_3E57&PID_0012"}), name}},
        {"product above the family",
         {Sz(L"usbser"), 1, MultiSz({L"USB\\VID_3E57&PID_0030"}), name}},
        {"four-digit product 0x0200",
         {Sz(L"usbser"), 1, MultiSz({L"USB\\VID_3E57&PID_0200"}), name}},
        {"service in capitals", {Sz(L"USBSER"), 1, MultiSz({rgb}), name}},
        {"another service", {Sz(L"usbser2"), 1, MultiSz({rgb}), name}},
        {"a serial adapter's service", {Sz(L"Serial"), 1, MultiSz({rgb}), name}},
        {"no service", {std::nullopt, 1, MultiSz({rgb}), name}},
        {"zero instance handle", {Sz(L"usbser"), 0, MultiSz({rgb}), name}},
        {"unreadable hardware ID", {Sz(L"usbser"), 1, std::nullopt, name}},
        {"match only in the second hardware ID",
         {Sz(L"usbser"), 1, MultiSz({L"USB\\VID_1234&PID_0001", rgb}), name}},
        {"unreadable friendly name", {Sz(L"usbser"), 1, MultiSz({rgb}), std::nullopt}},
        {"no (COM in the name", {Sz(L"usbser"), 1, MultiSz({rgb}), Sz(L"USB Serial Device")}},
        {"no ) after (COM", {Sz(L"usbser"), 1, MultiSz({rgb}), Sz(L"USB Serial Device (COM4")}},
        {"(com in lower case", {Sz(L"usbser"), 1, MultiSz({rgb}), Sz(L"Device (com4)")}},
    };
    for (const auto& c : cases) {
        // A good converter after the rejected device shows that the walk went on.
        const auto found = Match({c.device, Converter(L"0021", 9)});
        ASSERT_EQ(found.size(), 1u) << c.why;
        EXPECT_EQ(found[0].label, "COM9") << c.why;
    }
}

TEST(SetupApiMatch, OnlyTheFirstHardwareIdGivesTheKind) {
    // A family member whose second ID names another product: the first ID decides.
    const auto found =
        Match({{Sz(L"usbser"), 7,
                MultiSz({L"USB\\VID_3E57&PID_0020&REV_0001", L"USB\\VID_3E57&PID_0022"}),
                Sz(L"Converter (COM3)")}});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, Kind::Other);
}

TEST(SetupApiMatch, KeepsTheSetsOrderAndStopsAtTheCapacity) {
    std::vector<RecordedDevice> devices;
    for (int com = 1; com <= 17; ++com) {
        devices.push_back(Converter(com % 2 ? L"0022" : L"0023", com));
    }
    RecordedDeviceSet set(devices);
    const std::vector<Port> found = MatchConverters(set, kVendor, MAX_DEVICES);
    ASSERT_EQ(found.size(), 16u);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(found[i], ComPort(i + 1, (i + 1) % 2 ? Kind::Rgb : Kind::Ntsc));
    }
    EXPECT_EQ(set.highestAsked, 15);  // the 17th device is never looked at

    EXPECT_EQ(Match(devices, 3).size(), 3u);
    EXPECT_TRUE(Match(devices, 0).empty());
    RecordedDeviceSet none({});
    EXPECT_TRUE(MatchConverters(none, kVendor, MAX_DEVICES).empty());
}

TEST(SetupApiMatch, PortsAreNamedAfterTheirComNumber) {
    EXPECT_EQ(ComPort(3, Kind::Rgb), (Port{"\\\\.\\COM3", "COM3", Kind::Rgb, {}}));
    EXPECT_EQ(ComPort(12, Kind::Dvi).path, "\\\\.\\COM12");
    // A name without a usable number opens nothing.
    EXPECT_EQ(ComPort(0, Kind::Dvi).path, "");
    EXPECT_EQ(ComPort(-2, Kind::Dvi).path, "");
}

TEST(SetupApiMatch, PortComesFromTheFriendlyNameLikeWtoi) {
    const struct {
        const wchar_t* name;
        std::optional<int> port;
    } cases[] = {
        {L"USB Serial Device (COM12)", 12},
        {L"(COM3)", 3},
        {L"Converter (COM 7)", 7},
        {L"Converter (COM\t+8)", 8},
        {L"Converter (COM-2)", -2},
        {L"Converter (COM)", 0},
        {L"Converter (COMx5)", 0},
        {L"Converter (COM4a)", 4},
        {L"Converter (COM99999999999)", INT_MAX},
        {L"Converter (COM-99999999999)", INT_MIN},
        {L"Converter (COM2147483647)", INT_MAX},
        {L"Printer (LPT1) (COM6)", 6},
        {L"Converter (COM5) (COM6)", 5},
        {L"Converter (COM5", std::nullopt},
        {L"Converter COM5)", std::nullopt},
        {L"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PortFromFriendlyName(c.name), c.port)
            << std::string(c.name, c.name + wcslen(c.name));
    }
}

TEST(SetupApiMatch, PropertiesAreReadUpToTheirFirstNul) {
    EXPECT_EQ(FirstString(L"usbser\0"s), L"usbser");
    EXPECT_EQ(FirstString(L"a\0b\0\0"s), L"a");
    EXPECT_EQ(FirstString(L"no terminator"), L"no terminator");
    EXPECT_EQ(FirstString(L""), L"");
    // The service is the text up to its NUL; a longer name is another service.
    const auto found =
        Match({{L"usbser\0x"s, 1, MultiSz({L"USB\\VID_3E57&PID_0021"}), Sz(L"(COM2)")}});
    EXPECT_EQ(found.size(), 1u);
    EXPECT_TRUE(
        Match({{L"usbserx\0"s, 1, MultiSz({L"USB\\VID_3E57&PID_0021"}), Sz(L"(COM2)")}}).empty());
}

}  // namespace
}  // namespace vexilo
