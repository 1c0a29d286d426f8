#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "discovery/devices.h"
#include "model/operations.h"
#include "sim/sim_comm.h"

namespace vexilo::model {
namespace {

std::unique_ptr<CDevLink> LinkTo(const std::shared_ptr<CSimConverter>& sim) {
    return std::make_unique<CDevLink>(
        std::make_unique<CDevChannel>(std::make_unique<CSimComm>(sim)), 1,
        static_cast<int>(sim->Config().kind));
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
    const KindModel& kind = KindOf(DEVKIND_NTSC);
    const Setting* hue = kind.Find("hue");
    SettingsSnapshot snapshot;
    ASSERT_TRUE(ReadSettings(*link, kind, std::span<const Setting* const>(&hue, 1), snapshot).ok);
    EXPECT_EQ(snapshot.Value(*hue), 0xFFFF - 128);
}

}  // namespace
}  // namespace vexilo::model
