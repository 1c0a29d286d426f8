// Faults of the simulated converter, seen through the panel's framing on virtual time.
#include <gtest/gtest.h>

#include "sim_rig.h"

namespace vexilo::test {
namespace {

TEST(SimFaults, EachFaultGivesTheStatusAndTimeCostOfARealLine) {
    struct Case {
        const char* name;
        SimFaultSpec fault;
        std::uint8_t command;
        std::vector<std::uint8_t> data;
        bool ok;
        int status;
        int replyLength;
        std::int64_t costMs;  // virtual time of the one transaction
    };
    const Case cases[] = {
        {"none", {SimFaultKind::Delay, 0}, 0x0F, {}, true, 0, 1, 0},
        {"silence", {SimFaultKind::Silence}, 0x0F, {}, false, 6, 0, 3010},
        {"delay within time-out", {SimFaultKind::Delay, 1200}, 0x0F, {}, true, 0, 1, 1200},
        {"delay beyond time-out", {SimFaultKind::Delay, 3011}, 0x0F, {}, false, 6, 0, 3010},
        {"garbage", {SimFaultKind::Garbage, 40}, 0x0F, {}, true, 0, 1, 0},
        {"endless garbage", {SimFaultKind::Garbage, 5000}, 0x0F, {}, false, 6, 0, 0},
        {"wrong etx", {SimFaultKind::WrongEtx}, 0x0F, {}, false, 3, 0, 0},
        {"wrong check", {SimFaultKind::WrongCheck}, 0x0F, {}, false, 4, 0, 0},
        {"short by one", {SimFaultKind::ShortReply}, 0x0F, {}, false, 6, 0, 3030},
        {"header only", {SimFaultKind::ShortReply, 3}, 0x0F, {}, false, 6, 0, 3030},
        {"oversized", {SimFaultKind::Oversized}, 0x0F, {}, false, 6, 0, 0},
        {"error 0x0A", {SimFaultKind::ErrorCode, 0x0A}, 0x0F, {}, false, 0x0A, 0, 0},
        {"error 0 acknowledges", {SimFaultKind::ErrorCode, 0}, 0x0F, {}, true, 0, 0, 0},
        {"one byte short", {SimFaultKind::WrongLength, -1}, 0x11, {0x04}, true, 0, 1023, 0},
        {"one byte long", {SimFaultKind::WrongLength, 1}, 0x11, {0x04}, true, 0, 1025, 0},
        {"error reply without code", {SimFaultKind::WrongLength, -1}, 0x00, {}, false, 3, 0, 0},
        {"unplug", {SimFaultKind::Unplug}, 0x0F, {}, false, 6, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimRig rig;
        rig.model->AddFault(c.fault);
        EXPECT_EQ(rig.Txn(c.command, c.data), c.ok);
        EXPECT_EQ(rig.channel.m_nStatus, c.status);
        EXPECT_EQ(rig.channel.m_nReplyLength, c.replyLength);
        EXPECT_EQ(rig.model->NowMs(), c.costMs);
        // One-shot faults are gone: the next request is answered normally (unless unplugged).
        if (c.fault.kind != SimFaultKind::Unplug && c.fault.kind != SimFaultKind::Delay) {
            EXPECT_TRUE(rig.Txn(0x0F));
            EXPECT_EQ(rig.Reply(), std::vector<std::uint8_t>{3});
        }
    }
}

TEST(SimFaults, RefusedRequestIsNotCarriedOutButLostReplyIs) {
    SimRig rig;
    rig.model->AddFault({SimFaultKind::ErrorCode, 0x0A});
    EXPECT_FALSE(rig.SetAdjustment(0, 600));
    EXPECT_EQ(rig.model->Adjustments(3)[0], 500);
    rig.model->AddFault({SimFaultKind::Silence});
    EXPECT_FALSE(rig.SetAdjustment(0, 600));
    EXPECT_EQ(rig.model->Adjustments(3)[0], 600);
}

TEST(SimFaults, CommandSkipAndCountSelectTheRequests) {
    SimRig rig;
    rig.model->AddFault({SimFaultKind::Silence, 0, 0x0F, 2, 1});
    std::vector<bool> results;
    for (std::uint8_t cmd : {0x0F, 0x00, 0x0F, 0x00, 0x0F, 0x0F}) {
        results.push_back(rig.Txn(cmd));
    }
    EXPECT_EQ(results, (std::vector<bool>{true, true, false, true, false, true}));
    EXPECT_EQ(rig.model->LoggedCommands(),
              (std::vector<std::uint8_t>{0x0F, 0x00, 0x0F, 0x00, 0x0F, 0x0F}));

    rig.model->AddFault({SimFaultKind::ErrorCode, 0x0B, 0x14, kSimForever});
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(rig.Txn(0x14, {0x00}));
        EXPECT_EQ(rig.channel.m_nStatus, 0x0B);
    }
    rig.model->ClearFaults();
    EXPECT_FALSE(rig.Txn(0x14, {0x00}));  // an RGB converter has no cable detect at all
    EXPECT_EQ(rig.channel.m_nStatus, 0x0A);
}

TEST(SimFaults, LateReplyIsTakenForTheNextOneUnlessItArrivesBeforeThePurge) {
    SimRig rig;
    rig.model->AddFault({SimFaultKind::Delay, 5000, 0x01});
    EXPECT_FALSE(rig.Txn(0x01, {0}));
    EXPECT_EQ(rig.model->NowMs(), 3010);
    // The version text is still on its way when the next request goes out.
    ASSERT_TRUE(rig.Txn(0x0F));
    EXPECT_EQ(rig.Reply(), (std::vector<std::uint8_t>{'3', '.', '1', '0'}));
    EXPECT_EQ(rig.model->NowMs(), 5000);

    SimRig later;
    later.model->AddFault({SimFaultKind::Delay, 5000, 0x01});
    EXPECT_FALSE(later.Txn(0x01, {0}));
    later.model->AdvanceToMs(6000);  // the operator waited: the next purge drops the late reply
    ASSERT_TRUE(later.Txn(0x0F));
    EXPECT_EQ(later.Reply(), std::vector<std::uint8_t>{3});
}

TEST(SimFaults, UnplugFailsTheLinkUntilReplugged) {
    auto model = std::make_shared<CSimConverter>();
    CDevChannel channel(std::make_unique<CSimComm>(model));
    model->Unplug();
    EXPECT_FALSE(channel.m_pComm->IsOpen());
    EXPECT_FALSE(channel.Transact(0x00));
    EXPECT_EQ(channel.m_nStatus, 6);
    EXPECT_FALSE(channel.m_pComm->Open({}));
    EXPECT_FALSE(CSimComm(model).IsOpen());
    EXPECT_EQ(model->NowMs(), 0);  // a dead line fails at once

    model->Replug();
    EXPECT_TRUE(channel.m_pComm->Open({}));
    EXPECT_TRUE(channel.Transact(0x00));
}

TEST(SimComm, OpenIsExclusiveAndReadTimeOutIsVirtual) {
    auto model = std::make_shared<CSimConverter>();
    {
        CSimComm first(model);
        EXPECT_TRUE(first.IsOpen());
        EXPECT_FALSE(CSimComm(model).IsOpen());
        EXPECT_TRUE(first.Open({}));  // closes first, so its own converter is free again
        std::uint8_t buf[100];
        EXPECT_EQ(first.Read(buf, 100), 0);
        EXPECT_EQ(model->NowMs(), 4000);
        CSimComm custom(std::make_shared<CSimConverter>(), SerialTimeouts{50, 1, 10, 1});
        EXPECT_EQ(custom.Read(buf, 10), 0);
        EXPECT_EQ(custom.Model().NowMs(), 60);
    }
    EXPECT_EQ(model->OpenCount(), 0);
    EXPECT_TRUE(CSimComm(model).IsOpen());
}

TEST(SimPorts, SimulatedConvertersOpenThroughTheirPorts) {
    auto rgb = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    auto dvi = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Dvi));
    const Port rgbPort = SimPort(rgb, "SIM-RGB");
    const Port dviPort = SimPort(dvi, "SIM-DVI");
    EXPECT_EQ(dviPort, (Port{"", "SIM-DVI", Kind::Dvi, {}}));  // of the model's kind

    CDevChannel a(OpenPortComm(rgbPort));
    CDevChannel b(OpenPortComm(dviPort));
    ASSERT_TRUE(a.m_pComm->IsOpen());
    ASSERT_TRUE(b.m_pComm->IsOpen());
    EXPECT_FALSE(OpenPortComm(rgbPort)->IsOpen());  // held by `a`

    // The test keeps scripting the converter the panel has opened.
    rgb->SetInputFormat(7);
    ASSERT_TRUE(a.Transact(0x0F));
    EXPECT_EQ(a.ReplyData()[0], 7);
    ASSERT_TRUE(b.Transact(0x14, std::vector<std::uint8_t>{0x00}.data(), 1));
    EXPECT_EQ(rgb->LoggedCommands(), std::vector<std::uint8_t>{0x0F});
    EXPECT_EQ(dvi->LoggedCommands(), std::vector<std::uint8_t>{0x14});
}

}  // namespace
}  // namespace vexilo::test
