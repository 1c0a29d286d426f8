#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "discovery/devices.h"
#include "model/operations.h"
#include "model/startup_reads.h"
#include "sim/sim_comm.h"

namespace vexilo::model {
namespace {

std::unique_ptr<CDevLink> LinkTo(const std::shared_ptr<CSimConverter>& sim) {
    return std::make_unique<CDevLink>(
        std::make_unique<CDevChannel>(std::make_unique<CSimComm>(sim)), sim->Config().kind);
}

TEST(ModelOperations, IdentifyRefusesFirmwareThatIsNotTheMainOne) {
    struct Case {
        SimFirmware firmware;
        const char* error;
    };
    const Case cases[] = {{SimFirmware::Boot, "not running its main firmware"},
                          {SimFirmware::Update, "boot-update firmware"}};
    for (const Case& c : cases) {
        auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb, c.firmware));
        auto link = LinkTo(sim);
        Identity identity;
        const OpResult r = Identify(*link, identity);
        EXPECT_FALSE(r.ok);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
    }
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Dvi, SimFirmware::Old));
    auto link = LinkTo(sim);
    Identity identity;
    ASSERT_TRUE(Identify(*link, identity).ok);
    EXPECT_TRUE(identity.oldFirmware);
    EXPECT_EQ(identity.model, "DVI-SDI") << "no series code from this firmware";
}

TEST(ModelOperations, AnUnansweredVersionQueryIsNotBlamedOnTheFirmware) {
    struct Case {
        SimFirmware firmware;
        bool silent;
        const char* error;
        StartupEnd end;
    };
    const Case cases[] = {
        {SimFirmware::Main, true, "does not respond", StartupEnd::kNoResponse},
        {SimFirmware::Boot, false, "not running its main firmware", StartupEnd::kNotMainFirmware}};
    for (const Case& c : cases) {
        auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Dvi, c.firmware));
        if (c.silent) {
            sim->AddFault({SimFaultKind::Silence, 0, 0x01, kSimForever});
        }
        Identity identity;
        const OpResult r = Identify(*LinkTo(sim), identity, 1);
        EXPECT_NE(r.error.find(c.error), std::string::npos) << r.error;
        EXPECT_EQ(ReadAtStartup(*LinkTo(sim), Kind::Dvi), c.end) << c.error;
    }
}

TEST(ModelOperations, AdjustmentsNeedAnInputFormat) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Ntsc));
    sim->SetInputFormat(kSimNoInput);
    auto link = LinkTo(sim);
    Identity identity;
    ASSERT_TRUE(Identify(*link, identity).ok);
    sim->ClearLog();
    const KindModel& kind = identity.Kind();
    const Assignment hue{kind.Find("hue"), 5};
    const OpResult r = WriteSettings(*link, kind, std::span<const Assignment>(&hue, 1));
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find("no input signal"), std::string::npos);
    EXPECT_EQ(sim->LoggedCommands(), std::vector<std::uint8_t>{0x0F}) << "no write";
    // Save stores the general settings, and no adjustment table without a format.
    sim->ClearLog();
    EXPECT_TRUE(Save(*link, identity).ok);
    const auto sent = sim->LoggedCommands();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 0x09), 1);
    EXPECT_EQ(sent.back(), 0x0F);
}

TEST(ModelOperations, AStoredFFFFIsAValueNotAFailure) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Ntsc));
    sim->SetAdjustment(sim->ActiveFormat(), 2, 0xFFFF);
    auto link = LinkTo(sim);
    const KindModel& kind = KindOf(Kind::Ntsc);
    const Setting* hue = kind.Find("hue");
    SettingsSnapshot snapshot;
    ASSERT_TRUE(ReadSettings(*link, kind, std::span<const Setting* const>(&hue, 1), snapshot).ok);
    EXPECT_EQ(snapshot.Value(*hue), 0xFFFF - 128);
}

TEST(ModelOperations, AnUnansweredQueryIsNeverTakenForAnAnswer) {
    // A lost series reply is not "no ID function"; firmware that refuses the query has none.
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    auto link = LinkTo(sim);
    Identity identity;
    ASSERT_TRUE(Identify(*link, identity).ok);
    sim->AddFault({SimFaultKind::Silence, 0, 0x05});
    IdRecord record;
    const OpResult lost = ReadIdRecord(*link, identity, record);
    EXPECT_FALSE(lost.ok);
    EXPECT_NE(lost.error.find("series query"), std::string::npos) << lost.error;
    auto old = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb, SimFirmware::Old));
    auto oldLink = LinkTo(old);
    ASSERT_TRUE(Identify(*oldLink, identity).ok);
    ASSERT_TRUE(ReadIdRecord(*oldLink, identity, record).ok);
    EXPECT_FALSE(record.supported);

    // A record that was not read takes no change.
    ASSERT_TRUE(Identify(*link, identity).ok);
    sim->AddFault({SimFaultKind::Silence, 0, 0x11});
    ASSERT_TRUE(ReadIdRecord(*link, identity, record).ok);
    EXPECT_TRUE(record.supported);
    EXPECT_FALSE(record.read);
    sim->ClearLog();
    IdChanges changes;
    changes.sn = "00005678";
    bool written = true;
    const OpResult refused = WriteIdRecord(*link, identity, record, changes, written);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, "the ID record could not be read; nothing was sent");
    EXPECT_FALSE(written);
    EXPECT_TRUE(sim->Log().empty());
}

TEST(ModelOperations, WriteSettingsTellsWhichAssignmentsWereAcceptedAndStopsOnTheFlag) {
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    auto link = LinkTo(sim);
    const KindModel& kind = KindOf(Kind::Rgb);
    const Assignment values[] = {{kind.Find("output_format"), 0},
                                 {kind.Find("hpos"), 3},
                                 {kind.Find("vpos"), 4},
                                 {kind.Find("phase"), 5}};
    // The adjustment writes are the second and third 0x08; the third goes unanswered.
    sim->AddFault({SimFaultKind::Silence, 0, 0x08, 1, 2});
    WriteProgress progress;
    EXPECT_FALSE(WriteSettings(*link, kind, values, &progress).ok);
    EXPECT_EQ(progress.sent, (std::vector<bool>{true, true, false, false}));

    std::atomic<bool> stop{true};
    progress.stop = &stop;
    sim->ClearLog();
    EXPECT_TRUE(WriteSettings(*link, kind, values, &progress).ok);
    EXPECT_TRUE(progress.stopped);
    EXPECT_EQ(progress.sent, std::vector<bool>(4, false));
    EXPECT_TRUE(sim->Log().empty());
}

}  // namespace
}  // namespace vexilo::model
