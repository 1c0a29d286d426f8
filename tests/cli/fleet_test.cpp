// vexiloctl on a rack: settings follow the converter they belong to, and nothing unread, unsent
// or skipped is reported as done.
#include <gmock/gmock.h>

#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "cli_fixture.h"
#include "model/converter_model.h"

namespace vexilo::test {
namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;

bool Writes(const CSimConverter& sim) {
    for (const std::uint8_t c : sim.LoggedCommands()) {
        if (c == 0x08 || c == 0x09 || c == 0x12 || c == 0x15) {
            return true;
        }
    }
    return false;
}

int Count(const CSimConverter& sim, std::uint8_t command) {
    const auto log = sim.LoggedCommands();
    return static_cast<int>(std::count(log.begin(), log.end(), command));
}

// Raises a signal while the converter's `nth` request of `command` is on the line.
class SignalOnWrite final : public IPelkComm {
public:
    SignalOnWrite(std::unique_ptr<IPelkComm> inner, std::uint8_t command, int nth, int signal)
        : m_inner(std::move(inner)), m_command(command), m_left(nth), m_signal(signal) {}
    bool IsOpen() const override { return m_inner->IsOpen(); }
    bool Open(const std::string& path) override { return m_inner->Open(path); }
    void Write(const std::uint8_t* buffer, int count) override {
        m_inner->Write(buffer, count);
        if (count > 1 && buffer[1] == m_command && --m_left == 0) {
            std::raise(m_signal);
        }
    }
    int Read(std::uint8_t* buffer, int count) override { return m_inner->Read(buffer, count); }
    void Purge() override { m_inner->Purge(); }

private:
    std::unique_ptr<IPelkComm> m_inner;
    std::uint8_t m_command;
    int m_left;
    int m_signal;
};

class FleetTest : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        file = (std::filesystem::temp_directory_path() /
                ("vexilo-fleet-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".json"))
                   .string();
    }
    void TearDown() override {
        std::remove(file.c_str());
        CliTest::TearDown();
    }
    void Write(const std::string& text) { std::ofstream(file) << text; }
    // The converters plugged in again on other ports: `sims` in the order given, labels kept.
    void Replug(const std::vector<std::shared_ptr<CSimConverter>>& order) {
        entries.clear();
        for (std::size_t i = 0; i < order.size(); ++i) {
            entries.push_back(SimPort(order[i], Label(i)));
        }
    }
    static std::string Label(std::size_t i) { return "ttyACM" + std::to_string(i); }
    Json Doc() const { return Json::parse(out.str()); }
    void Scramble(CSimConverter& sim, std::mt19937& random);

    std::string file;
};

TEST_F(FleetTest, ARackFileFollowsItsConvertersAcrossPortsAndRefusesAStranger) {
    auto a = Add(SimKind::Rgb, "ttyACM0");
    auto b = Add(SimKind::Rgb, "ttyACM1");
    ASSERT_EQ(Run({"--port", "ttyACM0", "id", "--enable", "on", "--sn", "1234"}), 0);
    ASSERT_EQ(Run({"--port", "ttyACM1", "id", "--enable", "on", "--sn", "5678"}), 0);
    ASSERT_EQ(Run({"--port", "ttyACM0", "set", "hpos=-4"}), 0);
    ASSERT_EQ(Run({"--port", "ttyACM1", "set", "hpos=9"}), 0);
    ASSERT_EQ(Run({"--all", "backup", file}), 0) << err.str();

    // --sn and --id choose converters wherever they are; a choice is a choice for a change.
    ASSERT_EQ(Run({"--json", "--sn", "5678", "get", "hpos"}), 0) << err.str();
    EXPECT_EQ(Doc().at("converters").size(), 1u);
    EXPECT_EQ(Doc().at("converters").at(0).at("settings").at("hpos"), 9);
    EXPECT_EQ(Run({"--id", "ktprgb_00001234", "set", "vpos=1"}), 0) << err.str();
    EXPECT_EQ(Run({"--sn", "42", "list"}), 3);

    // The ports swap: each converter still gets its own entry, identity included.
    Replug({b, a});
    ASSERT_EQ(Run({"--all", "set", "hpos=0"}), 0);
    ASSERT_EQ(Run({"--all", "apply", "--with-identity", "--save", file}), 5) << err.str();
    EXPECT_THAT(out.str(), HasSubstr("ttyACM0: the file's entry for ttyACM1 applies"));
    EXPECT_EQ(a->StoredAdjustments(3)[0], 496) << "hpos -4";
    EXPECT_EQ(b->Adjustments(3)[0], 509) << "hpos 9";
    ASSERT_EQ(Run({"--json", "--sn", "1234", "id"}), 0);
    EXPECT_EQ(Doc().at("converters").at(0).at("port"), "ttyACM1");

    // A stranger on an entry's port is refused with both identities; its entry goes unused.
    ASSERT_EQ(Run({"--port", "ttyACM0", "id", "--sn", "42", "--id", "SPARE"}), 0);
    b->ClearLog();
    EXPECT_EQ(Run({"--all", "apply", "--with-identity", file}), 1);
    EXPECT_THAT(err.str(), HasSubstr("ttyACM0: this converter holds SN 00000042, ID SPARE, but "
                                     "the file's entry for ttyACM0 is for SN 00001234, ID "
                                     "KTPRGB_00001234 (held by the converter on ttyACM1)"));
    EXPECT_THAT(out.str(), HasSubstr("(ttyACM1, SN 00005678, ID KTPRGB_00005678): no converter "
                                     "selected takes this entry"));
    EXPECT_FALSE(Writes(*b));
    EXPECT_EQ(Run({"--all", "apply", "--by-port", "--check", file}), 5) << err.str();
}

TEST_F(FleetTest, NothingUnreadIsShownWrittenOrBackedUpAsRead) {
    auto sim = Add(SimKind::Rgb, "ttyACM0");
    ASSERT_EQ(Run({"id", "--sn", "1234"}), 0);
    const auto lostIdRead = [&](int skip = 0) {
        sim->AddFault({SimFaultKind::Silence, 0, 0x11, 1, skip});
    };
    lostIdRead();
    EXPECT_EQ(Run({"--json", "list"}), 1);
    const Json id = Doc().at("converters").at(0).at("id_function");
    EXPECT_EQ(id.at("read"), false);
    EXPECT_TRUE(id.at("sn").is_null());
    lostIdRead();
    EXPECT_EQ(Run({"backup", file}), 1);
    EXPECT_FALSE(std::filesystem::exists(file));
    lostIdRead();
    sim->ClearLog();
    EXPECT_EQ(Run({"id", "--sn", "5678"}), 1);
    EXPECT_THAT(err.str(), HasSubstr("the ID record could not be read; nothing was sent"));
    EXPECT_EQ(Count(*sim, 0x12), 0);
    // After the store, what the converter holds is read back.
    lostIdRead(2);
    EXPECT_EQ(Run({"--json", "id", "--name", "cam"}), 1);
    EXPECT_EQ(Doc().at("converters").at(0).at("written"), true);
    EXPECT_THAT(err.str(), HasSubstr("written, but the record could not be read back"));

    // A lost reply to the series query is not a converter without the ID function.
    ASSERT_EQ(Run({"backup", file}), 0);
    ASSERT_EQ(Run({"id", "--sn", "99", "--id", "OTHER"}), 0);
    sim->AddFault({SimFaultKind::Silence, 0, 0x05});
    EXPECT_EQ(Run({"apply", "--by-port", "--with-identity", file}), 5) << err.str() << out.str();
    ASSERT_EQ(Run({"--json", "id"}), 0);
    EXPECT_EQ(Doc().at("converters").at(0).at("sn"), "00001234");
}

TEST_F(FleetTest, AnApplyThatStopsPartwaySaysWhatWasSent) {
    auto sim = Add(SimKind::Rgb, "ttyACM0");
    Write(R"({"format":"vexilo-settings","version":1,"converters":[{"kind":"rgb",)"
          R"("output":{"output_format":"59.94i"},"adjustments":{"input_format":3,)"
          R"("values":{"hpos":1,"vpos":2,"phase":3}}}]})");
    const std::vector<bool> firstTwo{true, true, false, false};
    const auto sent = [&] {
        std::vector<bool> flags;
        const Json doc = Doc();
        for (const Json& ch : doc.at("converters").at(0).at("changes")) {
            flags.push_back(ch.at("sent").get<bool>());
        }
        return flags;
    };
    // The third write goes unanswered.
    sim->AddFault({SimFaultKind::Silence, 0, 0x08, 1, 2});
    EXPECT_EQ(Run({"--json", "apply", file}), 1);
    EXPECT_EQ(sent(), firstTwo);
    EXPECT_EQ(Doc().at("converters").at(0).at("changed"), true);
    EXPECT_THAT(err.str(), HasSubstr("vpos: the converter does not respond; made before it: "
                                     "output_format, hpos; not sent: vpos, phase"));

    // SIGINT and SIGTERM while the second write is on the line: it is finished, nothing after it.
    for (const int signal : {SIGINT, SIGTERM}) {
        entries = {SimPort(sim, "ttyACM0")};
        ASSERT_EQ(Run({"factory"}), 0);
        ASSERT_EQ(Run({"factory", "--adjustments"}), 0);
        entries = {Port{"", "ttyACM0", Kind::Rgb, [&] {
                            return std::make_unique<SignalOnWrite>(std::make_unique<CSimComm>(sim),
                                                                   0x08, 2, signal);
                        }}};
        sim->ClearLog();
        EXPECT_EQ(Run({"--json", "apply", "--save", file}), 128 + signal);
        EXPECT_EQ(sent(), firstTwo);
        EXPECT_EQ(Doc().at("interrupted"), signal == SIGINT ? "SIGINT" : "SIGTERM");
        EXPECT_EQ(Count(*sim, 0x08), 2);
        EXPECT_EQ(Count(*sim, 0x09), 0) << "nothing saved";
    }
}

TEST_F(FleetTest, PartsNotComparedGetTheirOwnExitCode) {
    auto other = Add(SimKind::Other, "ttyACM0");
    Write(R"({"format":"vexilo-settings","version":1,"converters":[{"kind":"other",)"
          R"("output":{"output_format":"59.94p"},"cable_detect":"off"}]})");
    EXPECT_EQ(Run({"apply", "--save", file}), 6);
    EXPECT_THAT(out.str(), HasSubstr("cable_detect skipped: this firmware has no cable detect"));
    EXPECT_THAT(out.str(), HasSubstr("nothing differs in what was compared; 1 part(s) skipped; "
                                     "nothing was stored"));
    EXPECT_FALSE(Writes(*other));
}

TEST_F(FleetTest, StatusComesBackAfterAReplugAndMetricsAlwaysMakeADocument) {
    EXPECT_EQ(Run({"status", "--format", "openmetrics"}), 3);
    EXPECT_THAT(out.str(), HasSubstr("vexilo_converters_found 0\n"));
    EXPECT_THAT(out.str(), ::testing::EndsWith("# EOF\n"));

    // Unplugged by the second status read; plugged in again when the port is next opened.
    auto sim = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    sim->AddFault({SimFaultKind::Unplug, 0, 0x03, 1, 1});
    entries = {Port{"", "ttyACM0", Kind::Rgb, [sim] {
                        sim->Replug();
                        return std::make_unique<CSimComm>(sim);
                    }}};
    EXPECT_EQ(Run({"--json", "status", "--watch", "0.1", "--count", "3"}), 1);
    std::istringstream rounds(out.str());
    std::vector<bool> up;
    for (std::string line; std::getline(rounds, line);) {
        up.push_back(Json::parse(line).at("converters").at(0).at("ok").get<bool>());
    }
    EXPECT_EQ(up, (std::vector<bool>{true, false, true}));
}

// Random changes a converter can take: every setting the page writes (a choice or a value in
// its range, an Auto switch turned off before the settings behind it), adjustments of other input
// formats than the current one, and the ID group.
void FleetTest::Scramble(CSimConverter& sim, std::mt19937& random) {
    const model::KindModel& kind = model::KindOf(sim.Config().kind);
    const auto pick = [&](int lower, int upper) {
        return std::uniform_int_distribution<int>(lower, upper)(random);
    };
    const std::uint8_t current = sim.InputFormat();
    const std::vector<std::uint16_t> held = sim.Adjustments(current);
    std::vector<std::string> set;
    const model::Setting* offsetAuto = kind.Find("offset_auto");
    bool offsetsAutomatic = offsetAuto != nullptr && held[model::kRgbOffsetAuto] != 0;
    if (offsetAuto != nullptr && pick(0, 1) == 1) {
        offsetsAutomatic = pick(0, 1) == 1;
        set.push_back(std::string("offset_auto=") + (offsetsAutomatic ? "on" : "off"));
    }
    for (const model::Setting& s : kind.settings) {
        const bool automatic =
            s.autoSwitch == model::kRgbOffsetAuto
                ? offsetsAutomatic
                : s.autoSwitch >= 0 && held[static_cast<std::size_t>(s.autoSwitch)] != 0;
        if (!s.writable || &s == offsetAuto || automatic || pick(0, 2) == 0 ||
            (s.area == model::Area::kCableDetect && !sim.Config().cableDetect)) {
            continue;
        }
        const int value = s.choices.empty()
                              ? pick(s.lower, s.upper)
                              : s.choices[static_cast<std::size_t>(
                                              pick(0, static_cast<int>(s.choices.size()) - 1))]
                                    .value;
        set.push_back(std::string(s.name) + "=" + model::ValueText(s, value));
    }
    if (!set.empty()) {
        set.insert(set.begin(), "set");
        ASSERT_EQ(Run(set), 0) << err.str();
    }
    for (int n = 0; n < kind.adjustmentCount && kind.HasAdjustments(); n += 3) {
        const auto format = static_cast<std::uint8_t>((current + 1 + n) % 16);
        const model::Setting* s = model::AdjustmentSetting(kind, static_cast<std::uint8_t>(n));
        if (s != nullptr && format != current) {
            sim.SetAdjustment(format, n, s->ToWire(pick(s->lower, s->upper)));
        }
    }
    std::string name;
    for (int n = pick(0, 6); n > 0; --n) {
        name += pick(0, 3) == 0 ? "\xC3\x84" : std::string(1, static_cast<char>(pick('a', 'z')));
    }
    char did[8];
    std::snprintf(did, sizeof did, "0x%02X", pick(0x50, 0x5F));
    ASSERT_EQ(Run({"id", "--enable", pick(0, 1) ? "on" : "off", "--did", did, "--sn",
                   std::to_string(pick(1, 99999999)), "--id", "U" + std::to_string(pick(0, 999)),
                   "--name", name}),
              0)
        << err.str();
}

std::string Contents(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

TEST_F(FleetTest, ApplyingABackupAfterRandomChangesGivesTheSameBackup) {
    std::mt19937 random(21);
    for (const SimKind kind : {SimKind::Rgb, SimKind::Dvi, SimKind::Ntsc, SimKind::Other}) {
        for (int round = 0; round < 4; ++round) {
            entries.clear();
            auto sim = Add(kind, "ttyACM0");
            const std::uint8_t format = static_cast<std::uint8_t>(random() % 16);
            sim->SetInputFormat(format);
            if (kind == SimKind::Rgb) {
                sim->SetAdjustment(format, model::kRgbSyncAuto,
                                   static_cast<std::uint16_t>(random() % 2));
            }
            Scramble(*sim, random);
            ASSERT_EQ(Run({"backup", file}), 0) << err.str();
            const std::string before = Contents(file);
            Scramble(*sim, random);
            ASSERT_EQ(Run({"apply", "--by-port", "--with-identity", file}), 5)
                << err.str() << out.str();
            ASSERT_EQ(Run({"backup", file}), 0) << err.str();
            EXPECT_EQ(Contents(file), before) << static_cast<int>(kind) << " round " << round;
            EXPECT_EQ(Run({"apply", "--check", file}), 0) << out.str();
        }
    }
}

}  // namespace
}  // namespace vexilo::test
