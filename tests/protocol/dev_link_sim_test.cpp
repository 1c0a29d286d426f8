// CDevLink against the simulated converter: the same framing and command set the pages use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "protocol/dev_link.h"
#include "protocol/id_record.h"
#include "sim/sim_comm.h"
#include "sim/sim_converter.h"

namespace vexilo {
namespace {

struct LinkRig {
    explicit LinkRig(SimConfig config = SimConfig::For(SimKind::Rgb))
        : model(std::make_shared<CSimConverter>(config)),
          link(std::make_unique<CDevChannel>(std::make_unique<CSimComm>(model)),
               model->Config().kind) {}

    int Count(std::uint8_t command) const {
        const auto log = model->LoggedCommands();
        return static_cast<int>(std::count(log.begin(), log.end(), command));
    }
    void Fail(SimFaultKind kind, int command, int value = 0) {
        model->AddFault(SimFaultSpec{kind, value, command, 1, 0});
    }

    std::shared_ptr<CSimConverter> model;
    CDevLink link;
};

IdBlock BlockWith(const char* sn, const char* id, const char* name) {
    IdBlock b = DefaultIdBlock();
    b[0] = 1;
    b[1] = 0x52;
    std::strncpy(reinterpret_cast<char*>(b.data() + 2), sn, 10);
    std::strncpy(reinterpret_cast<char*>(b.data() + 13), "KTP-RGB-SDI", 16);
    std::strncpy(reinterpret_cast<char*>(b.data() + 30), id, 16);
    std::strncpy(reinterpret_cast<char*>(b.data() + 47), name, 80);
    return b;
}

TEST(DevLinkSim, OperationsSucceedAgainstAWorkingConverter) {
    LinkRig r;
    EXPECT_TRUE(r.link.CheckConnection(5, false));
    EXPECT_TRUE(r.link.CheckConnection(1, true));

    std::uint8_t text[16] = {};
    EXPECT_EQ(r.link.GetVersionInfo(0, text, 16), 4);
    EXPECT_STREQ(reinterpret_cast<char*>(text), "3.10");
    std::uint8_t fpga[2] = {};
    EXPECT_EQ(r.link.GetVersionInfo(3, fpga, 2), 2);
    EXPECT_EQ(fpga[0] | (fpga[1] << 8), 0x00B4);

    EXPECT_EQ(r.link.GetSeriesCode(), 1);
    EXPECT_EQ(r.link.GetInputFormat(), 3);
    EXPECT_EQ(r.link.GetAdjustment(12), SimPhaseDefault(3));
    EXPECT_TRUE(r.link.SetAdjustment(0, 321));
    EXPECT_EQ(r.link.GetAdjustment(0), 321);
    EXPECT_TRUE(r.link.CommitAdjustments(0));
    EXPECT_EQ(r.model->StoredAdjustments(3)[0], 321);
    EXPECT_TRUE(r.link.CommitDeviceSettings(1));
    EXPECT_TRUE(r.link.CommitDeviceSettings(0));

    std::uint8_t block[1024];
    EXPECT_TRUE(r.link.ReadIdBlock(block, 1024));
}

// Every operation's failure value when the converter stops answering.
TEST(DevLinkSim, EveryOperationReportsASilentConverterByItsOwnConvention) {
    LinkRig r;
    r.model->AddFault(SimFaultSpec{SimFaultKind::Silence, 0, kSimAnyCommand, kSimForever, 0});
    std::uint8_t buf[1024] = {0x55};
    EXPECT_FALSE(r.link.CheckConnection(1, true));
    EXPECT_EQ(r.link.GetVersionInfo(0, buf, 16), 0);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(r.link.GetSeriesCode(), std::nullopt);
    EXPECT_EQ(r.link.GetAdjustment(0), std::nullopt);
    EXPECT_FALSE(r.link.SetAdjustment(0, 1));
    EXPECT_FALSE(r.link.CommitDeviceSettings(1));
    EXPECT_FALSE(r.link.CommitAdjustments(0));
    EXPECT_EQ(r.link.GetInputFormat(), std::nullopt);
    EXPECT_FALSE(r.link.ReadIdBlock(buf, 1024));
    IdBlock block{};
    EXPECT_EQ(r.link.LoadIdRecord(block), CDevLink::IdRead::kUnread);
    EXPECT_FALSE(r.link.StoreIdRecord(DefaultIdBlock(), kIdFieldsAll));
    EXPECT_FALSE(r.link.CommitDeviceSettings(0));
    EXPECT_EQ(r.link.Channel().m_nStatus, kStatusNoReply);
}

TEST(DevLinkSim, RepliesOfTheWrongLengthAreFailures) {
    LinkRig r;
    std::uint8_t block[1024];
    for (int delta : {-1, +1}) {  // 1023 and 1025 bytes
        r.Fail(SimFaultKind::WrongLength, 0x11, delta);
        EXPECT_FALSE(r.link.ReadIdBlock(block, 1024)) << delta;
    }
    r.Fail(SimFaultKind::WrongLength, 0x05, +1);
    EXPECT_EQ(r.link.GetSeriesCode(), std::nullopt);
    for (int delta : {-1, +1}) {  // 1 and 3 bytes
        r.Fail(SimFaultKind::WrongLength, 0x07, delta);
        EXPECT_EQ(r.link.GetAdjustment(3), std::nullopt) << delta;
    }
    r.Fail(SimFaultKind::WrongLength, 0x0F, +1);
    EXPECT_EQ(r.link.GetInputFormat(), std::nullopt);
    // The next requests are answered normally again.
    EXPECT_TRUE(r.link.ReadIdBlock(block, 1024));
    EXPECT_EQ(r.link.GetAdjustment(3), 74);
}

TEST(DevLinkSim, CheckConnectionMakesExactlyTheAttemptsAskedFor) {
    for (int attempts : {1, 5}) {
        LinkRig r;
        r.model->AddFault(SimFaultSpec{SimFaultKind::Silence, 0, kSimAnyCommand, kSimForever, 0});
        const auto before = r.model->NowMs();
        EXPECT_FALSE(r.link.CheckConnection(attempts, false));
        EXPECT_EQ(r.Count(0x00), attempts);
        // Each attempt waits out one one-byte read: 3010 ms of the converter's virtual time.
        EXPECT_GE(r.model->NowMs() - before, attempts * 3010);
        EXPECT_LT(r.model->NowMs() - before, attempts * 3010 + 100);
    }
    LinkRig r;
    r.model->AddFault(SimFaultSpec{SimFaultKind::Silence, 0, 0x00, 2, 0});
    EXPECT_TRUE(r.link.CheckConnection(5, false));
    EXPECT_EQ(r.Count(0x00), 3);  // stops at the first answer
}

TEST(DevLinkSim, AStoredRecordReadsBackAndKeepsTheConverterArea) {
    LinkRig r;
    std::array<std::uint8_t, kSimIdStorageSize> storage{};
    for (size_t i = 0; i < storage.size(); ++i) {
        storage[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    r.model->SetIdStorage(storage);
    const IdBlock stored = BlockWith("00001234", "KTPRGB_00001234", "スタジオ");
    ASSERT_TRUE(r.link.StoreIdRecord(stored, kIdFieldsAll));
    EXPECT_EQ(r.model->LoggedCommands(), (std::vector<std::uint8_t>{0x11, 0x12}));
    const auto after = r.model->IdStorage();
    for (size_t i = 261; i < storage.size(); ++i) {
        ASSERT_EQ(after[i], storage[i]) << "byte " << i;
    }
    IdBlock block{};
    ASSERT_EQ(r.link.LoadIdRecord(block), CDevLink::IdRead::kDecoded);
    EXPECT_EQ(block, stored);
}

TEST(DevLinkSim, UndecodableRecordLoadsDefaults) {
    LinkRig r;
    std::array<std::uint8_t, kSimIdStorageSize> storage{};
    storage[0] = 0x01;
    storage[1] = 0x01;
    storage[2] = 0x30;  // claims a record, but its CRC is zero
    r.model->SetIdStorage(storage);
    IdBlock block{};
    EXPECT_EQ(r.link.LoadIdRecord(block), CDevLink::IdRead::kUndecodable);
    EXPECT_EQ(block, DefaultIdBlock());
}

}  // namespace
}  // namespace vexilo
