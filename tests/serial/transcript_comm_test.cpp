// The start-up record: replayed to a caller that repeats the exchange, left for the port at the
// first call that differs.
#include "serial/transcript_comm.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/fake_comm.h"

namespace vexilo {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Rig {
    Rig() {
        auto fake = std::make_unique<test::FakeComm>();
        port = fake.get();
        comm = std::make_unique<TranscriptComm>(std::move(fake));
        port->Queue({1, 2, 3});
        // Recorded: purge, write, a read of 2 bytes, a read of 4 that got 1.
        comm->Purge();
        const Bytes request{0x02, 0x00};
        comm->Write(request.data(), 2);
        Bytes got(4);
        EXPECT_EQ(comm->Read(got.data(), 2), 2);
        EXPECT_EQ(comm->Read(got.data(), 4), 1);
        comm->StartReplay();
        port->writes.clear();
        port->purges = 0;
        port->reads = 0;
        port->Queue({9, 9, 9, 9});  // what the port would answer now
    }
    test::FakeComm* port = nullptr;
    std::unique_ptr<TranscriptComm> comm;
};

TEST(TranscriptComm, TheSameExchangeIsReplayedAndWhatFollowsGoesToThePort) {
    Rig rig;
    rig.comm->Purge();
    const Bytes request{0x02, 0x00};
    rig.comm->Write(request.data(), 2);
    Bytes got(4);
    ASSERT_EQ(rig.comm->Read(got.data(), 2), 2);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + 2), (Bytes{1, 2}));
    ASSERT_EQ(rig.comm->Read(got.data(), 4), 1);
    EXPECT_EQ(got[0], 3);
    EXPECT_FALSE(rig.comm->Replaying());
    EXPECT_TRUE(rig.port->writes.empty());
    EXPECT_EQ(rig.port->purges + rig.port->reads, 0);
    // Past the record: the port.
    rig.comm->Write(request.data(), 2);
    EXPECT_EQ(rig.comm->Read(got.data(), 1), 1);
    EXPECT_EQ(got[0], 9);
    EXPECT_EQ(rig.port->writes.size(), 1u);
}

TEST(TranscriptComm, AnExchangeThatDiffersGoesToThePortAndTheRecordIsDropped) {
    Rig rig;
    rig.comm->Purge();
    const Bytes other{0x02, 0x01};
    rig.comm->Write(other.data(), 2);  // not what was recorded
    Bytes got(4);
    ASSERT_EQ(rig.comm->Read(got.data(), 2), 2);
    EXPECT_EQ(got[0], 9);  // from the port, never from the record
    EXPECT_EQ(rig.port->writes, std::vector<Bytes>{other});
    EXPECT_FALSE(rig.comm->Replaying());
}

}  // namespace
}  // namespace vexilo
