// The Windows stack end to end under Wine: attachment, the serial link on a COM port and the
// converter protocol, against the simulator (vexilo-sim --series 0) that tools/wine-tests.sh
// serves on the port named by VEXILO_TEST_SIM_COM.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

#include "discovery/attach.h"
#include "discovery/devices.h"
#include "discovery/setupapi_seam.h"
#include "protocol/id_record.h"

namespace vexilo {
namespace {

TEST(AttachWin32, TalksToASimulatedConverterThroughItsComPort) {
    const char* env = std::getenv("VEXILO_TEST_SIM_COM");
    const int port = env != nullptr ? std::atoi(env) : 0;
    if (port < 1) {
        GTEST_SKIP() << "needs VEXILO_TEST_SIM_COM (tools/wine-tests.sh)";
    }
    const auto link = OpenDeviceLink(ComPort(port, Kind::Dvi));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->Channel().Label(), "COM" + std::to_string(port));
    EXPECT_EQ(link->m_kind, Kind::Dvi);
    EXPECT_TRUE(link->CheckConnection(1, false));
    EXPECT_EQ(link->GetSeriesCode(), 0);
    std::array<std::uint8_t, 64> version{};
    EXPECT_GT(link->GetVersionInfo(0, version.data(), static_cast<int>(version.size())), 0);
    std::array<std::uint8_t, 1024> storage{};
    EXPECT_TRUE(link->ReadIdBlock(storage.data(), static_cast<std::uint16_t>(storage.size())));

    // The identification record makes the round trip: 1024 bytes out, 1024 bytes back.
    IdBlock block = DefaultIdBlock();
    block[kIdOffEnable] = 1;
    block[kIdOffDid] = 0x52;
    const std::string serial = "W1NE0042";
    std::copy(serial.begin(), serial.end(), block.begin() + kIdOffSerial);
    ASSERT_TRUE(link->StoreIdRecord(block, kIdFieldsAll));
    IdBlock read = DefaultIdBlock();
    ASSERT_EQ(link->LoadIdRecord(read), CDevLink::IdRead::kDecoded);
    EXPECT_EQ(read[kIdOffDid], 0x52);
    EXPECT_EQ(IdTextLength(read, kIdOffSerial, kIdSerialMax), static_cast<int>(serial.size()));
}

TEST(AttachWin32, APortWithoutADeviceAttachesNothing) {
    EXPECT_EQ(OpenDeviceLink(ComPort(201, Kind::Other)), nullptr);
    EXPECT_EQ(OpenDeviceLink(ComPort(0, Kind::Other)), nullptr);
}

}  // namespace
}  // namespace vexilo
