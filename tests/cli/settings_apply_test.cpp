// vexiloctl backup and apply against simulated converters on pseudo-terminals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli/vexiloctl.h"
#include "discovery/devices.h"
#include "protocol/commands.h"
#include "sim/sim_options.h"
#include "sim/sim_pty_server.h"

namespace vexilo {
namespace {

bool IsWrite(const SimRequest& r) {
    return r.command == kCmdSetSettings || r.command == kCmdCommit ||
           r.command == kCmdWriteIdBlock || r.command == kCmdSetCableDetect;
}

// One simulated converter of each kind with settings, adjustments and an ID group.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Ok()) << m_server.Error();
        const std::vector<SimKind> kinds{SimKind::Rgb, SimKind::Dvi, SimKind::Ntsc};
        std::vector<std::string> paths;
        for (SimKind kind : kinds) {
            SimConfig config = SimConfig::For(kind);
            m_models.push_back(std::make_shared<CSimConverter>(config));
            paths.push_back(m_server.AddConverter(m_models.back()));
            ASSERT_FALSE(paths.back().empty()) << m_server.Error();
            m_ports.push_back(paths.back().substr(5));  // "pts/N"
        }
        m_loop = std::thread([this] { m_server.Run(); });
        ::setenv("VEXILO_PORTS", FormatVexiloPorts(kinds, paths).c_str(), 1);
        SetDeviceSource({});
        m_file = (std::filesystem::temp_directory_path() /
                  ("vexilo-settings-" + std::to_string(::getpid()) + ".json"))
                     .string();
    }
    void TearDown() override {
        ::unsetenv("VEXILO_PORTS");
        m_server.Stop();
        m_loop.join();
        std::remove(m_file.c_str());
    }

    // vexiloctl on the simulated converters (or those `ports` name).
    int Run(std::vector<std::string> args, std::vector<std::string> ports = {}) {
        if (ports.empty()) {
            ports = m_ports;
        }
        std::vector<std::string> full;
        for (const std::string& p : ports) {
            full.insert(full.end(), {"--port", p});
        }
        full.insert(full.end(), args.begin(), args.end());
        m_out.str({});
        m_err.str({});
        return cli::RunVexiloctl(full, m_out, m_err);
    }
    bool AnyWrite() const {
        return std::any_of(m_models.begin(), m_models.end(), [](const auto& m) {
            const auto log = m->Log();
            return std::any_of(log.begin(), log.end(), IsWrite);
        });
    }
    void ClearLogs() {
        for (const auto& m : m_models) {
            m->ClearLog();
        }
    }

    // What a restore must bring back, field by field.
    struct State {
        SimGeneral general;
        std::vector<std::uint16_t> adjustments;
        std::array<std::uint8_t, kSimIdStorageSize> id;
        bool operator==(const State&) const = default;
    };
    State StateOf(std::size_t i) const {
        const auto& m = m_models[i];
        return {m->Current(), m->Adjustments(m->InputFormat()), m->IdStorage()};
    }

    CSimPtyServer m_server;
    std::vector<std::shared_ptr<CSimConverter>> m_models;
    std::vector<std::string> m_ports;
    std::thread m_loop;
    std::string m_file;
    std::ostringstream m_out;
    std::ostringstream m_err;
};

TEST_F(SettingsFileTest, BackupFactoryApplyRestoresEverySettingAndASecondApplySendsNothing) {
    // Away from factory values everywhere the file reaches (the composite converter's scaler and
    // the RGB sync auto are the converter's own: no page writes them; with sync auto on, the
    // sync type is the converter's too). Offset auto goes off, so the offsets count.
    for (const auto& m : m_models) {
        const bool composite = m->Config().kind == SimKind::Ntsc;
        m->SetCurrent({0, 1, static_cast<std::uint8_t>(composite ? 0 : 1), 0});
        const std::uint8_t format = m->InputFormat();
        for (int i = 0; i < m->AdjustmentCount(); ++i) {
            if (composite || (i != 2 && i != 10 && i != 11)) {
                m->SetAdjustment(format, i,
                                 static_cast<std::uint16_t>(m->Adjustments(format)[i] ^ 1));
            }
        }
    }
    ASSERT_EQ(Run({"id", "--enable", "on", "--did", "0x52", "--sn", "1234"}), 0) << m_err.str();
    std::vector<State> before;
    for (std::size_t i = 0; i < m_models.size(); ++i) {
        before.push_back(StateOf(i));
    }
    ASSERT_EQ(Run({"backup", m_file}), 0) << m_err.str();

    ASSERT_EQ(Run({"factory"}), 0) << m_err.str();
    ASSERT_EQ(Run({"factory", "--adjustments"}, {m_ports[0], m_ports[2]}), 0) << m_err.str();
    ASSERT_EQ(
        Run({"id", "--enable", "off", "--did", "0x5F", "--sn", "77", "--id", "X", "--name", "y"}),
        0)
        << m_err.str();
    for (std::size_t i = 0; i < m_models.size(); ++i) {
        ASSERT_NE(StateOf(i), before[i]) << i;
    }

    // The same units on the same ports, each given back its own identity.
    ClearLogs();
    EXPECT_EQ(Run({"apply", m_file, "--check", "--by-port"}), 5) << m_err.str();
    EXPECT_FALSE(AnyWrite()) << "--check sent a write";
    EXPECT_NE(m_out.str().find("output_format: 59.94p -> 59.94i"), std::string::npos)
        << m_out.str();

    EXPECT_EQ(Run({"apply", m_file, "--with-identity", "--by-port"}), 5) << m_err.str();
    for (std::size_t i = 0; i < m_models.size(); ++i) {
        const State after = StateOf(i);
        EXPECT_EQ(after.general, before[i].general) << i;
        EXPECT_EQ(after.adjustments, before[i].adjustments) << i;
        EXPECT_EQ(after.id, before[i].id) << i;
    }

    ClearLogs();
    EXPECT_EQ(Run({"apply", m_file, "--with-identity", "--save"}), 0) << m_err.str();
    EXPECT_NE(m_out.str().find("nothing differs; nothing was stored"), std::string::npos)
        << m_out.str();
    EXPECT_FALSE(AnyWrite()) << "a second apply sent a write";
}

TEST_F(SettingsFileTest, IdentityStaysWithoutTheFlagWhileIdEnableAndDidFollowTheFile) {
    ASSERT_EQ(Run({"id", "--enable", "on", "--did", "0x52", "--sn", "1234"}, {m_ports[0]}), 0);
    ASSERT_EQ(Run({"backup", m_file}, {m_ports[0]}), 0);
    ASSERT_EQ(Run({"id", "--did", "0x55", "--sn", "99", "--id", "OTHER", "--name", "unit b"},
                  {m_ports[0]}),
              0);
    ASSERT_EQ(Run({"apply", m_file, "--by-port"}, {m_ports[0]}), 5) << m_err.str();
    ASSERT_EQ(Run({"--json", "id"}, {m_ports[0]}), 0);
    const std::string out = m_out.str();
    for (const char* kept : {"00000099", "OTHER", "unit b", "0x52"}) {
        EXPECT_NE(out.find(kept), std::string::npos) << kept << '\n' << out;
    }
}

TEST_F(SettingsFileTest, AnotherKindsFileAndOneIdentityForSeveralAreRefusedAndNothingIsSent) {
    ASSERT_EQ(Run({"backup", m_file}, {m_ports[0]}), 0);
    ClearLogs();
    EXPECT_EQ(Run({"apply", m_file}, {m_ports[1]}), 2);
    EXPECT_NE(m_err.str().find(m_ports[1] + ": the file is for rgb converters, this is a dvi"),
              std::string::npos)
        << m_err.str();
    EXPECT_EQ(Run({"apply", m_file, "--with-identity"}, {m_ports[0], m_ports[2]}), 2);
    EXPECT_NE(m_err.str().find("the same SN, ID and Name"), std::string::npos) << m_err.str();
    for (const auto& m : m_models) {
        EXPECT_TRUE(m->Log().empty());
    }
}

TEST_F(SettingsFileTest, AdjustmentsOfAnotherInputFormatAreSkippedWithTheirOwnExitCode) {
    ASSERT_EQ(Run({"backup", m_file}, {m_ports[0]}), 0);
    const std::uint8_t other = m_models[0]->InputFormat() == 5 ? 6 : 5;
    m_models[0]->SetInputFormat(other);
    m_models[0]->SetAdjustment(other, 0, 123);
    ClearLogs();
    EXPECT_EQ(Run({"apply", m_file}, {m_ports[0]}), 6) << m_err.str();
    EXPECT_NE(m_out.str().find("adjustments skipped: they belong to input format"),
              std::string::npos)
        << m_out.str();
    EXPECT_FALSE(AnyWrite());
    EXPECT_EQ(m_models[0]->Adjustments(other)[0], 123);
}

}  // namespace
}  // namespace vexilo
