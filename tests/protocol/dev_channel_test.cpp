#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "frames.h"
#include "protocol/dev_channel.h"
#include "protocol/frame_trace.h"
#include "support/fake_comm.h"

namespace vexilo {
namespace {

using test::FakeComm;
using test::Frame;
using Bytes = std::vector<std::uint8_t>;

class DevChannelTest : public ::testing::Test {
protected:
    DevChannelTest() {
        auto c = std::make_unique<FakeComm>();
        comm = c.get();
        channel = std::make_unique<CDevChannel>(std::move(c), "ttyACM3");
    }

    FakeComm* comm = nullptr;
    std::unique_ptr<CDevChannel> channel;
};

TEST_F(DevChannelTest, RequestFramesCarryLengthDataEtxAndXor) {
    comm->Queue(Frame(0x00));
    channel->Transact(0x0F, nullptr, 0);
    ASSERT_EQ(comm->writes.size(), 1u);
    EXPECT_EQ(comm->writes[0], (Bytes{0x02, 0x0F, 0x00, 0x00, 0x03, 0x0C}));
    EXPECT_EQ(channel->m_nRequestLength, 6);

    const Bytes data{0x01, 0x0C, 0xF4, 0x01};
    channel->Transact(0x08, data.data(), 4);
    EXPECT_EQ(comm->writes[1],
              (Bytes{0x02, 0x08, 0x04, 0x00, 0x01, 0x0C, 0xF4, 0x01, 0x03,
                     static_cast<std::uint8_t>(0x08 ^ 0x04 ^ 0x01 ^ 0x0C ^ 0xF4 ^ 0x01 ^ 0x03)}));

    // The largest request the panel sends: 1021 data bytes, a 1027-byte frame, length 0x03FD.
    Bytes big(1021, 0x5A);
    channel->Transact(0x12, big.data(), 1021);
    ASSERT_EQ(comm->writes[2].size(), 1027u);
    EXPECT_EQ(comm->writes[2][2], 0xFD);
    EXPECT_EQ(comm->writes[2][3], 0x03);
    // Each request was preceded by a purge.
    EXPECT_GE(comm->purges, 3);
}

TEST_F(DevChannelTest, AcceptsDataReplyAfterGarbageWhateverItsCommandByte) {
    comm->Queue({0x00, 0xFF, 0x03, 0x55});
    comm->Queue(Frame(0x77, {0x10, 0x20, 0x30}));
    ASSERT_TRUE(channel->Transact(0x05));
    EXPECT_EQ(channel->m_nStatus, kStatusOk);
    EXPECT_EQ(channel->m_nReplyLength, 3);
    EXPECT_EQ(channel->ReplyData()[0], 0x10);
    EXPECT_EQ(channel->ReplyData()[2], 0x30);
    EXPECT_EQ(channel->m_abyReceive[0], kStx);
}

struct FailureCase {
    const char* name;
    Bytes reply;
    int status;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

class DevChannelFailureTest : public DevChannelTest,
                              public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DevChannelFailureTest, FailsWithStatusAndPurges) {
    const FailureCase& c = GetParam();
    comm->Queue(c.reply);
    const int purgesBefore = comm->purges;
    EXPECT_FALSE(channel->Transact(0x03));
    EXPECT_EQ(channel->m_nStatus, c.status);
    EXPECT_EQ(channel->m_nReplyLength, 0);
    // One purge before the request, one after the failure.
    EXPECT_EQ(comm->purges, purgesBefore + 2);
}

Bytes WithByte(Bytes frame, size_t index, std::uint8_t value) {
    frame[index] = value;
    return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DevChannelFailureTest,
    ::testing::Values(
        FailureCase{"Silence", {}, kStatusNoReply},
        FailureCase{"GarbageOnly", {0x55, 0x66}, kStatusNoReply},
        FailureCase{"ShortHeader", {0x02, 0x03, 0x0D}, kStatusNoReply},
        FailureCase{"ShortData", {0x02, 0x03, 0x0D, 0x00, 1, 2, 3}, kStatusNoReply},
        // Wrong trailer is reported as such even when the check byte matches the bytes sent.
        FailureCase{"WrongEtx",
                    [] {
                        Bytes f = Frame(0x03, {1, 2});
                        f[6] = 0x04;
                        f[7] = FrameCheckByte(f.data(), 2);
                        return f;
                    }(),
                    kStatusNoEtx},
        FailureCase{"WrongCheckByte", WithByte(Frame(0x03, {1, 2}), 7, 0x00), kStatusBadCheck},
        FailureCase{"DeviceError", Frame(kErrorReply, {0x0A}), 0x0A},
        FailureCase{"DeviceError0B", Frame(kErrorReply, {0x0B, 0x00}), 0x0B},
        // An error reply without data has its ETX where the code should be.
        FailureCase{"ErrorReplyWithoutData", Frame(kErrorReply), kStatusNoEtx},
        // A length beyond the buffer fails before any data is read into it.
        FailureCase{"Oversized", {0x02, 0x03, 0x41, 0x10, 1, 2, 3, 4}, kStatusNoReply},
        FailureCase{"MaxLengthField", {0x02, 0x03, 0xFF, 0xFF}, kStatusNoReply}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DevChannelTest, ErrorReplyWithCodeZeroIsAnAcknowledgement) {
    comm->Queue(Frame(kErrorReply, {0x00}));
    EXPECT_TRUE(channel->Transact(0x09));
    EXPECT_EQ(channel->m_nStatus, kStatusOk);
    EXPECT_EQ(channel->m_nReplyLength, 0);
}

TEST_F(DevChannelTest, OversizedReplyIsNotReadIntoTheBuffer) {
    channel->m_abyReceive.fill(0xEE);
    comm->Queue({0x02, 0x03, 0x41, 0x10});  // announces 4161 bytes
    comm->Queue(Bytes(100, 0x11));
    EXPECT_FALSE(channel->Transact(0x03));
    EXPECT_EQ(channel->m_nStatus, kStatusNoReply);
    EXPECT_EQ(channel->m_abyReceive[4], 0xEE);
    EXPECT_EQ(comm->reads, 2);  // the STX and the header, nothing more
}

TEST_F(DevChannelTest, LargestReplyThatFitsIsAccepted) {
    comm->Queue(Frame(0x11, Bytes(kMaxFrameData, 0x42)));
    ASSERT_TRUE(channel->Transact(0x11));
    EXPECT_EQ(channel->m_nReplyLength, kMaxFrameData);
    EXPECT_EQ(channel->ReplyData()[kMaxFrameData - 1], 0x42);
}

TEST_F(DevChannelTest, StxHuntGivesUpAfterAFrameWorthOfNoise) {
    comm->Queue(Bytes(kMaxFrameSize - 1, 0xAA));
    comm->Queue(Frame(0x00, {0x01}));
    EXPECT_TRUE(channel->Transact(0x00));  // just within the bound

    comm->Queue(Bytes(kMaxFrameSize, 0xAA));
    comm->Queue(Frame(0x00, {0x01}));
    EXPECT_FALSE(channel->Transact(0x00));
    EXPECT_EQ(channel->m_nStatus, kStatusNoReply);
}

// A scripted clock that each read moves on: one noise byte every 2.5 s.
std::chrono::steady_clock::time_point g_now;
std::chrono::steady_clock::time_point ScriptedNow() {
    return g_now;
}
class TrickleComm : public FakeComm {
public:
    int Read(std::uint8_t* buffer, int count) override {
        g_now += std::chrono::milliseconds(2500);
        return FakeComm::Read(buffer, count);
    }
};

TEST(DevChannelDeadline, StxHuntEndsAtTheRepliesDeadlineWhenNoiseTrickles) {
    auto c = std::make_unique<TrickleComm>();
    TrickleComm* comm = c.get();
    CDevChannel channel(std::move(c), "ttyACM3");
    channel.m_pNow = &ScriptedNow;
    comm->Queue(Bytes(10, 0xAA));
    comm->Queue(Frame(0x00, {0x01}));
    EXPECT_FALSE(channel.Transact(0x00));
    EXPECT_EQ(channel.m_nStatus, kStatusNoReply);
    EXPECT_EQ(comm->reads, 2) << "read past the deadline";

    // Noise that ends in time is no failure.
    comm->incoming.clear();
    comm->Queue({0xAA});
    comm->Queue(Frame(0x00, {0x01}));
    EXPECT_TRUE(channel.Transact(0x00));
}

TEST_F(DevChannelTest, StatusIsResetByEachRequest) {
    comm->Queue(Frame(kErrorReply, {0x0A}));
    EXPECT_FALSE(channel->Transact(0x14));
    EXPECT_EQ(channel->m_nStatus, 0x0A);
    channel->SendRequest(0x00, nullptr, 0);
    EXPECT_EQ(channel->m_nStatus, kStatusOk);
}

TEST_F(DevChannelTest, RequestThatCannotFitIsNotSent) {
    Bytes tooBig(kMaxFrameData + 1, 0);
    EXPECT_FALSE(channel->Transact(0x12, tooBig.data(), kMaxFrameData + 1));
    EXPECT_FALSE(channel->Transact(0x12, nullptr, 4));
    EXPECT_FALSE(channel->Transact(0x12, tooBig.data(), -1));
    EXPECT_TRUE(comm->writes.empty());
    EXPECT_EQ(channel->m_nStatus, kStatusNoReply);
}

TEST_F(DevChannelTest, LateReplyOfAFailedRequestIsPurgedBeforeTheNextRequest) {
    comm->purgeDropsInput = true;
    EXPECT_FALSE(channel->ReceiveReply());   // nothing yet: time-out
    comm->Queue(Frame(0x03, {0xAB}));        // the late reply arrives
    channel->SendRequest(0x05, nullptr, 0);  // purges it away
    EXPECT_FALSE(channel->ReceiveReply());
    EXPECT_EQ(channel->m_nStatus, kStatusNoReply);
}

}  // namespace
}  // namespace vexilo

namespace vexilo {
namespace {

TEST_F(DevChannelTest, TraceWritesEachRequestAndReplyWithLabelAndStatus) {
    const std::string path = ::testing::TempDir() + "dev_channel_trace.txt";
    std::remove(path.c_str());
    ASSERT_TRUE(StartFrameTrace(path));
    EXPECT_TRUE(FrameTraceOn());
    comm->Queue(Frame(0x0F, {0x03}));
    channel->Transact(0x0F);
    comm->Queue({0x02, 0xFF, 0x01});  // a reply cut short in its header
    channel->Transact(0x00);
    StopFrameTrace();
    EXPECT_FALSE(FrameTraceOn());
    channel->Transact(0x00);  // after the trace ended: no line

    std::ifstream file(path);
    std::stringstream lines;
    lines << file.rdbuf();
    const std::string text = lines.str();
    // "[seconds.micro] label direction hex (status)", one line each.
    const std::string expected[] = {
        "] ttyACM3 > 02 0f 00 00 03 0c\n",
        "] ttyACM3 < 02 0f 01 00 03 03 0e\n",
        "] ttyACM3 > 02 00 00 00 03 03\n",
        "] ttyACM3 < 02 ff 01 (status 6)\n",
    };
    std::size_t pos = 0;
    for (const std::string& line : expected) {
        ASSERT_EQ(text.compare(pos, 1, "["), 0) << text;
        pos = text.find(line, pos);
        ASSERT_NE(pos, std::string::npos) << line << "in\n" << text;
        pos += line.size();
    }
    EXPECT_EQ(pos, text.size());
    EXPECT_FALSE(StartFrameTrace("/nonexistent-dir/trace.txt"));
    EXPECT_FALSE(FrameTraceOn());
    std::remove(path.c_str());
}

}  // namespace
}  // namespace vexilo
