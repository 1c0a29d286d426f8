#include "protocol/device_requests.h"

#include <gtest/gtest.h>

#include <memory>

#include "protocol/scripted_converter.h"

namespace vexilo::test {
namespace {

using requests::Outcome;

class DeviceRequestsTest : public ::testing::Test {
protected:
    DeviceRequestsTest() {
        auto conv = std::make_unique<ScriptedConverter>([this](const Request&) { return next; });
        converter = conv.get();
        channel = std::make_unique<CDevChannel>(std::move(conv));
    }
    const Request& Sent() const { return converter->requests.back(); }

    Bytes next;
    ScriptedConverter* converter = nullptr;
    std::unique_ptr<CDevChannel> channel;
};

TEST_F(DeviceRequestsTest, ReadStatus) {
    // 1920 x 1080, FPGA -2.0 degC, MCU 45.5 degC, 5.0 V, 59.94 Hz, interlaced, one extra byte.
    next = DataReply({0x80, 0x07, 0x38, 0x04, 0xEC, 0xFF, 0xC7, 0x01, 50, 0, 0x6A, 0x17, 1, 9});
    auto r = requests::ReadStatus(*channel);
    ASSERT_EQ(r.outcome, Outcome::kValue);
    EXPECT_EQ(Sent().command, 0x03);
    EXPECT_TRUE(Sent().data.empty());
    EXPECT_EQ(r.value, (requests::StatusBlock{1920, 1080, -20, 455, 50, 5994, 1}));

    next = DataReply(Bytes(12, 0));
    r = requests::ReadStatus(*channel);
    EXPECT_EQ(r.outcome, Outcome::kBadLength);
    EXPECT_EQ(r.status, kStatusOk);

    next = {};
    r = requests::ReadStatus(*channel);
    EXPECT_EQ(r.outcome, Outcome::kFailed);
    EXPECT_EQ(r.status, kStatusNoReply);
}

TEST_F(DeviceRequestsTest, OutputSettings) {
    next = DataReply({0, 1, 2, 7});
    auto r = requests::GetOutputSettings(*channel);
    ASSERT_TRUE(r.HasValue());
    EXPECT_EQ(r.value, (requests::OutputSettings{0, 1, 2}));
    EXPECT_EQ(Sent().command, 0x07);
    EXPECT_TRUE(Sent().data.empty());

    next = DataReply({0, 1});
    EXPECT_EQ(requests::GetOutputSettings(*channel).outcome, Outcome::kBadLength);
    next = ErrorReply(0x22);
    r = requests::GetOutputSettings(*channel);
    EXPECT_TRUE(r.Failed());
    EXPECT_EQ(r.status, 0x22);

    next = ErrorReply(0);
    EXPECT_TRUE(requests::SendOutputSettings(*channel, {1, 0, 1}));
    EXPECT_EQ(Sent().command, 0x08);
    EXPECT_EQ(Sent().data, (Bytes{1, 0, 1}));
    next = {};
    EXPECT_FALSE(requests::SendOutputSettings(*channel, {1, 0, 1}));
}

TEST_F(DeviceRequestsTest, CableDetect) {
    next = DataReply({0});
    auto r = requests::GetCableDetect(*channel);
    ASSERT_TRUE(r.HasValue());
    EXPECT_EQ(r.value, 0);
    EXPECT_EQ(Sent().command, 0x14);
    EXPECT_EQ(Sent().data, Bytes{0x00});

    next = DataReply({1, 1});
    EXPECT_EQ(requests::GetCableDetect(*channel).outcome, Outcome::kBadLength);

    // Firmware without the setting is told apart from a converter that does not answer.
    for (std::uint8_t code : {0x0A, 0x0B}) {
        next = ErrorReply(code);
        r = requests::GetCableDetect(*channel);
        EXPECT_TRUE(r.Failed());
        EXPECT_TRUE(r.Unsupported()) << int(code);
    }
    for (Bytes reply : {ErrorReply(0x0C), Bytes{}}) {
        next = reply;
        r = requests::GetCableDetect(*channel);
        EXPECT_TRUE(r.Failed());
        EXPECT_FALSE(r.Unsupported());
    }

    next = ErrorReply(0);
    EXPECT_TRUE(requests::SetCableDetect(*channel, 1));
    EXPECT_EQ(Sent().command, 0x15);
    EXPECT_EQ(Sent().data, (Bytes{0x00, 0x01}));
    next = ErrorReply(0x0A);
    EXPECT_FALSE(requests::SetCableDetect(*channel, 0));
    EXPECT_EQ(Sent().data, (Bytes{0x00, 0x00}));
}

}  // namespace
}  // namespace vexilo::test
