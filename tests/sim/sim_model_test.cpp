// The simulated firmware as the panel sees it: every command through CDevChannel.
#include <gtest/gtest.h>

#include <string>

#include "sim_rig.h"

namespace vexilo::test {
namespace {

std::string AsText(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

TEST(SimVersions, EachFirmwareReportsItsTextsAndOnlyMainServesTheRest) {
    struct Case {
        SimFirmware firmware;
        const char* running;
        const char* second;
        bool serves;
    };
    const Case cases[] = {
        {SimFirmware::Main, "3.10", "1.00", true},
        {SimFirmware::Boot, "1.00", "1.00", false},
        {SimFirmware::Update, "2.00u", "1.00", false},
        {SimFirmware::Old, "1.05", "1.00", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.running);
        SimRig rig(SimConfig::For(SimKind::Dvi, c.firmware));
        ASSERT_TRUE(rig.Txn(0x01, {0}));
        EXPECT_EQ(AsText(rig.Reply()), c.running);
        ASSERT_TRUE(rig.Txn(0x01, {1}));
        EXPECT_EQ(AsText(rig.Reply()), c.second);
        ASSERT_TRUE(rig.Txn(0x01, {2}));
        EXPECT_EQ(rig.Reply(), std::vector<std::uint8_t>{2});
        ASSERT_TRUE(rig.Txn(0x01, {3}));
        EXPECT_EQ(rig.Reply16(), 0x00B4);
        EXPECT_FALSE(rig.Txn(0x01, {4}));
        EXPECT_EQ(rig.channel.m_nStatus, kSimErrSubFunction);
        EXPECT_TRUE(rig.Txn(0x00, {0}));
        EXPECT_EQ(rig.Txn(0x07), c.serves);
        if (!c.serves) {
            EXPECT_EQ(rig.channel.m_nStatus, kSimErrUnsupported);
        }
    }
}

TEST(SimRequests, ConnectionCheckAcknowledgesAndUnknownCommandsAreRefused) {
    SimRig rig;
    EXPECT_TRUE(rig.Txn(0x00));
    EXPECT_EQ(rig.channel.m_nReplyLength, 0);
    EXPECT_TRUE(rig.Txn(0x00, {0x00}));
    EXPECT_FALSE(rig.Txn(0x00, {0x00, 0x00}));
    EXPECT_EQ(rig.channel.m_nStatus, kSimErrLength);
    for (std::uint8_t unknown : {0x02, 0x04, 0x06, 0x0A, 0x10, 0x13, 0x16, 0xFF}) {
        EXPECT_FALSE(rig.Txn(unknown)) << int{unknown};
        EXPECT_EQ(rig.channel.m_nStatus, kSimErrUnsupported);
    }
    // Malformed forms of known commands are refused too, so a wrong request cannot pass.
    EXPECT_FALSE(rig.Txn(0x05, {0x81}));
    EXPECT_FALSE(rig.Txn(0x05));
    EXPECT_FALSE(rig.Txn(0x0F, {0x00}));
    EXPECT_FALSE(rig.Txn(0x03, {0x00}));
    const auto log = rig.model->Log();
    ASSERT_EQ(log.size(), 15u);
    EXPECT_EQ(log[0], (SimRequest{0x00, {}}));
    EXPECT_EQ(log[1], (SimRequest{0x00, {0x00}}));
    EXPECT_EQ(log[11], (SimRequest{0x05, {0x81}}));
}

TEST(SimRequests, SeriesCodeIsOneByteAndOldFirmwareLacksIt) {
    SimConfig ktq = SimConfig::For(SimKind::Ntsc);
    ktq.seriesCode = 0;
    SimRig rig(ktq);
    ASSERT_TRUE(rig.Txn(0x05, {0x80}));
    EXPECT_EQ(rig.Reply(), std::vector<std::uint8_t>{0});

    SimRig old(SimConfig::For(SimKind::Dvi, SimFirmware::Old));
    EXPECT_FALSE(old.Txn(0x05, {0x80}));
    EXPECT_EQ(old.channel.m_nStatus, kSimErrUnsupported);
}

TEST(SimGeneralSettings, SaveStoresAndRevertReturnsToStored) {
    SimRig rig(SimConfig::For(SimKind::Dvi));
    ASSERT_TRUE(rig.Txn(0x07));
    EXPECT_EQ(rig.Reply(), (std::vector<std::uint8_t>{1, 0, 0}));

    ASSERT_TRUE(rig.Txn(0x08, {0, 1, 1}));
    ASSERT_TRUE(rig.Txn(0x15, {0x00, 0x00}));
    EXPECT_EQ(rig.model->Current(), (SimGeneral{0, 1, 1, 0}));
    EXPECT_EQ(rig.model->Stored(), SimGeneral{});

    ASSERT_TRUE(rig.Txn(0x09));  // save
    EXPECT_EQ(rig.model->Stored(), (SimGeneral{0, 1, 1, 0}));

    ASSERT_TRUE(rig.Txn(0x08, {1, 0, 2}));
    ASSERT_TRUE(rig.Txn(0x15, {0x00, 0x01}));
    ASSERT_TRUE(rig.Txn(0x09, {0x00, 0x01}));  // revert
    EXPECT_EQ(rig.model->Current(), (SimGeneral{0, 1, 1, 0}));
    ASSERT_TRUE(rig.Txn(0x07));
    EXPECT_EQ(rig.Reply(), (std::vector<std::uint8_t>{0, 1, 1}));
    ASSERT_TRUE(rig.Txn(0x14, {0x00}));
    EXPECT_EQ(rig.Reply(), std::vector<std::uint8_t>{0});

    // Values the firmware does not know are refused and change nothing.
    for (const auto& bad : {std::vector<std::uint8_t>{2, 0, 0}, {0, 2, 0}, {0, 0, 3}}) {
        EXPECT_FALSE(rig.Txn(0x08, bad));
        EXPECT_EQ(rig.channel.m_nStatus, kSimErrRange);
    }
    EXPECT_FALSE(rig.Txn(0x09, {0x00, 0x02}));
    EXPECT_EQ(rig.model->Current(), (SimGeneral{0, 1, 1, 0}));

    // A power cycle loses what was not saved.
    ASSERT_TRUE(rig.Txn(0x08, {1, 1, 0}));
    rig.model->PowerCycle();
    EXPECT_EQ(rig.model->Current(), rig.model->Stored());
}

TEST(SimGeneralSettings, OldFirmwareCannotRevert) {
    SimRig rig(SimConfig::For(SimKind::Dvi, SimFirmware::Old));
    EXPECT_TRUE(rig.Txn(0x09));
    EXPECT_FALSE(rig.Txn(0x09, {0x00, 0x01}));
    EXPECT_EQ(rig.channel.m_nStatus, kSimErrUnsupported);
}

TEST(SimCableDetect, UnsupportedAnswersTheConfiguredCode) {
    for (std::uint8_t code : {0x0A, 0x0B}) {
        SimConfig c = SimConfig::For(SimKind::Dvi);
        c.cableDetect = false;
        c.unsupportedCode = code;
        SimRig rig(c);
        EXPECT_FALSE(rig.Txn(0x14, {0x00}));
        EXPECT_EQ(rig.channel.m_nStatus, code);
        EXPECT_FALSE(rig.Txn(0x15, {0x00, 0x01}));
        EXPECT_EQ(rig.channel.m_nStatus, code);
    }
    SimRig other(SimConfig::For(SimKind::Other));
    EXPECT_FALSE(other.Txn(0x14, {0x00}));
    EXPECT_EQ(other.channel.m_nStatus, 0x0A);
}

TEST(SimAdjustments, FactoryTablesFollowTheFormat) {
    struct Case {
        std::uint8_t format;
        std::uint16_t lineTotal;
        std::uint16_t phase;
    };
    const Case cases[] = {{0, 858, 0},   {2, 1056, 22},  {3, 1344, 24},
                          {8, 1792, 14}, {15, 2080, 16}, {0x20, 1344, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int{c.format});
        SimRig rig;
        rig.model->SetInputFormat(c.format);
        const std::vector<int> expected{500, 50,  c.lineTotal, 74, 74, 74,     1,
                                        512, 512, 512,         1,  0,  c.phase};
        std::vector<int> read;
        for (std::uint8_t i = 0; i < 13; ++i) {
            read.push_back(rig.GetAdjustment(i));
        }
        EXPECT_EQ(read, expected);
        EXPECT_FALSE(rig.Txn(0x07, {0x01, 13}));
        EXPECT_EQ(rig.channel.m_nStatus, kSimErrRange);
    }
    SimRig ntsc(SimConfig::For(SimKind::Ntsc));
    for (std::uint8_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ntsc.GetAdjustment(i), 128);
    }
    EXPECT_FALSE(ntsc.Txn(0x07, {0x01, 4}));

    SimRig dvi(SimConfig::For(SimKind::Dvi));
    EXPECT_FALSE(dvi.Txn(0x07, {0x01, 0}));
    EXPECT_EQ(dvi.channel.m_nStatus, kSimErrSubFunction);
    EXPECT_FALSE(dvi.Txn(0x09, {0x01, 0}));
    EXPECT_EQ(dvi.channel.m_nStatus, kSimErrSubFunction);
}

TEST(SimAdjustments, RangesAreEnforcedPerIndex) {
    SimRig rig;
    struct Case {
        std::uint8_t index;
        std::uint16_t max;
    };
    for (const Case& c : {Case{0, 1000}, Case{1, 100}, Case{3, 511}, Case{6, 1}, Case{9, 1023},
                          Case{11, 2}, Case{12, 31}}) {
        EXPECT_TRUE(rig.SetAdjustment(c.index, c.max)) << int{c.index};
        EXPECT_FALSE(rig.SetAdjustment(c.index, static_cast<std::uint16_t>(c.max + 1)));
        EXPECT_EQ(rig.channel.m_nStatus, kSimErrRange);
        EXPECT_EQ(rig.GetAdjustment(c.index), c.max);
    }
    SimRig ntsc(SimConfig::For(SimKind::Ntsc));
    EXPECT_TRUE(ntsc.SetAdjustment(3, 255));
    EXPECT_FALSE(ntsc.SetAdjustment(3, 256));
}

TEST(SimAdjustments, SaveAndRevertWorkOnTheCurrentFormatOnly) {
    SimRig rig;
    rig.model->SetInputFormat(3);
    ASSERT_TRUE(rig.SetAdjustment(0, 600));
    ASSERT_TRUE(rig.Txn(0x09, {0x01, 0x00}));  // store format 3
    ASSERT_TRUE(rig.SetAdjustment(0, 700));
    EXPECT_EQ(rig.model->Adjustments(3)[0], 700);
    EXPECT_EQ(rig.model->StoredAdjustments(3)[0], 600);
    ASSERT_TRUE(rig.Txn(0x09, {0x01, 0x01}));  // revert format 3
    EXPECT_EQ(rig.GetAdjustment(0), 600);

    // Another format has its own table, untouched by the first one's changes.
    rig.model->SetInputFormat(4);
    EXPECT_EQ(rig.GetAdjustment(0), 500);
    ASSERT_TRUE(rig.SetAdjustment(0, 400));
    ASSERT_TRUE(rig.Txn(0x09, {0x01, 0x00}));
    EXPECT_EQ(rig.model->StoredAdjustments(4)[0], 400);
    EXPECT_EQ(rig.model->StoredAdjustments(3)[0], 600);
    EXPECT_FALSE(rig.Txn(0x09, {0x01, 0x02}));
    EXPECT_EQ(rig.channel.m_nStatus, kSimErrRange);
}

TEST(SimAdjustments, FormatChangeDiscardsUnsavedValuesButLossOfInputKeepsThem) {
    SimRig rig;
    rig.model->SetInputFormat(3);
    ASSERT_TRUE(rig.SetAdjustment(3, 80));
    rig.model->SetInputFormat(kSimNoInput);
    EXPECT_EQ(rig.GetAdjustment(3), 80);  // without input the last format's table stays
    ASSERT_TRUE(rig.SetAdjustment(3, 81));
    rig.model->SetInputFormat(3);
    EXPECT_EQ(rig.GetAdjustment(3), 81);
    rig.model->SetInputFormat(5);
    rig.model->SetInputFormat(3);
    EXPECT_EQ(rig.GetAdjustment(3), 74);
}

TEST(SimInputFormat, QueuedFormatsAreReportedOnePerQueryAndDriveTheStatus) {
    SimRig rig;
    rig.model->QueueInputFormats({3, kSimNoInput, 14});
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(rig.Txn(0x0F));
        ASSERT_EQ(rig.channel.m_nReplyLength, 1);
        seen.push_back(rig.Reply()[0]);
    }
    EXPECT_EQ(seen, (std::vector<int>{3, 0xFF, 14, 14}));

    ASSERT_TRUE(rig.Txn(0x03));
    EXPECT_EQ(rig.Reply(), (std::vector<std::uint8_t>{0x80, 0x07, 0x38, 0x04, 0xC5, 0x01, 0x7D,
                                                      0x01, 0x32, 0x00, 0x6A, 0x17, 0x02}));
    rig.model->SetInputFormat(kSimNoInput);
    ASSERT_TRUE(rig.Txn(0x03));
    const auto r = rig.Reply();
    EXPECT_EQ(r[0], 0xFF);
    EXPECT_EQ(r[1], 0xFF);
    EXPECT_EQ(r[10], 0xFF);
    EXPECT_EQ(r[11], 0xFF);
    EXPECT_EQ(r[12], 0);
}

TEST(SimStatus, SetStatusIsReportedLittleEndianWithSignedTemperatures) {
    SimRig rig;
    rig.model->SetStatus(SimStatus{1280, 720, -20, 381, 50, 5994, 1});
    ASSERT_TRUE(rig.Txn(0x03));
    EXPECT_EQ(rig.Reply(), (std::vector<std::uint8_t>{0x00, 0x05, 0xD0, 0x02, 0xEC, 0xFF, 0x7D,
                                                      0x01, 0x32, 0x00, 0x6A, 0x17, 0x01}));
}

TEST(SimIdStorage, ReadGivesTheBlockAndWriteReplacesTheFirst1020Bytes) {
    SimRig rig;
    ASSERT_TRUE(rig.Txn(0x11, {0x04}));
    ASSERT_EQ(rig.channel.m_nReplyLength, 1024);
    EXPECT_EQ(rig.Reply(), std::vector<std::uint8_t>(1024, 0xFF));

    std::vector<std::uint8_t> write(1021);
    write[0] = 0x04;
    for (size_t i = 1; i < write.size(); ++i) {
        write[i] = static_cast<std::uint8_t>(i * 7);
    }
    ASSERT_TRUE(rig.Txn(0x12, write));
    EXPECT_EQ(rig.Reply(), std::vector<std::uint8_t>{0x00});
    ASSERT_TRUE(rig.Txn(0x11, {0x04}));
    const auto block = rig.Reply();
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + 1020, write.begin() + 1));
    EXPECT_EQ(std::vector<std::uint8_t>(block.begin() + 1020, block.end()),
              std::vector<std::uint8_t>(4, 0xFF));

    // A revert does not touch the block: it is written straight to flash.
    ASSERT_TRUE(rig.Txn(0x09, {0x00, 0x01}));
    EXPECT_EQ(rig.model->IdStorage()[1], write[2]);

    write.pop_back();
    EXPECT_FALSE(rig.Txn(0x12, write));
    EXPECT_EQ(rig.channel.m_nStatus, kSimErrLength);
    EXPECT_FALSE(rig.Txn(0x11, {0x05}));
    EXPECT_EQ(rig.channel.m_nStatus, kSimErrSubFunction);

    SimRig old(SimConfig::For(SimKind::Rgb, SimFirmware::Old));
    EXPECT_FALSE(old.Txn(0x11, {0x04}));
    EXPECT_EQ(old.channel.m_nStatus, kSimErrUnsupported);
}

TEST(SimRequests, MalformedRequestFrameGetsAFrameError) {
    auto model = std::make_shared<CSimConverter>();
    CSimComm comm(model);
    std::uint8_t frame[6];
    BuildFrame(frame, 0x0F, nullptr, 0);
    frame[5] ^= 0x01;
    comm.Write(frame, 6);
    std::uint8_t reply[7] = {};
    ASSERT_EQ(comm.Read(reply, 7), 7);
    EXPECT_EQ(reply[1], kErrorReply);
    EXPECT_EQ(reply[4], kSimErrFrame);
    EXPECT_EQ(model->BadFrameCount(), 1);
    EXPECT_TRUE(model->Log().empty());
}

}  // namespace
}  // namespace vexilo::test
