#include <gmock/gmock.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli_fixture.h"
#include "protocol/id_record.h"

namespace vexilo::test {
namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;

TEST_F(CliTest, ARefusedValueSendsNothingToAnyConverter) {
    auto rgb = Add(SimKind::Rgb, "ttyACM0");
    auto dvi = Add(SimKind::Dvi, "ttyACM1");
    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case cases[] = {
        {{"--port", "ttyACM0", "set", "hpos=501"}, "allowed: -500..500"},
        {{"--port", "ttyACM0", "set", "gain_r=1", "sync_type=rgbx"}, "allowed: rgb|rgbs|rgbhv"},
        {{"--port", "ttyACM0", "set", "sync_auto=on"}, "shown only"},
        {{"--all", "set", "gain_r=1"}, "not a setting of dvi converters"},
        {{"set", "output_format=59.94i"}, "choose with --port"},  // two attached, none chosen
        {{"--port", "ttyACM0", "id", "--sn", "12a"}, "1 to 8 digits"},
        {{"--port", "ttyACM0", "id", "--did", "0x60"}, "0x50..0x5F"},
        {{"--all", "factory", "--adjustments"}, "have no adjustments"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), 2) << c.args.back();
        EXPECT_THAT(err.str(), HasSubstr(c.message)) << c.args.back();
    }
    EXPECT_TRUE(rgb->Log().empty());
    EXPECT_TRUE(dvi->Log().empty());
    EXPECT_EQ(rgb->OpenCount(), 0);
}

TEST_F(CliTest, JsonCarriesEveryFieldOfEveryCommand) {
    Add(SimKind::Rgb, "ttyACM0");
    Add(SimKind::Dvi, "ttyACM1");
    Add(SimKind::Ntsc, "ttyACM2");
    const std::vector<std::string> common = {"port", "kind", "ok", "model"};
    struct Case {
        const char* command;
        std::vector<std::string> args;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"list", {}, {"series", "firmware", "fpga_version", "board_revision", "id_function"}},
        {"status", {}, {"input", "fpga_temperature", "mcu_temperature", "supply_voltage"}},
        {"get", {}, {"settings"}},
        {"id", {}, {"supported", "enabled", "did", "sn", "id", "name", "model_name"}},
        {"set", {"output_format=59.94p"}, {"set"}},
        {"save", {}, {}},
        {"revert", {}, {}},
        {"factory", {}, {"adjustments"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--json", "--all", c.command};
        args.insert(args.end(), c.args.begin(), c.args.end());
        ASSERT_EQ(Run(args), 0) << c.command << err.str();
        const Json doc = Json::parse(out.str());
        EXPECT_EQ(doc.at("command"), c.command);
        ASSERT_EQ(doc.at("converters").size(), 3u) << c.command;
        for (const Json& conv : doc.at("converters")) {
            for (const auto& names : {common, c.fields}) {
                for (const std::string& name : names) {
                    EXPECT_TRUE(conv.contains(name)) << c.command << ": " << name;
                }
            }
        }
    }
    // Every setting of the kind, with names the set command takes back.
    Run({"--json", "get"});
    const Json rgb = Json::parse(out.str()).at("converters").at(0);
    EXPECT_EQ(rgb.at("settings").size(), 15u);
    EXPECT_EQ(rgb.at("settings").at("output_format"), "59.94p");
    EXPECT_EQ(rgb.at("settings").at("gain_r"), 0);
    EXPECT_EQ(rgb.at("input_format"), 3);
    Run({"--json", "status", "--kind", "ntsc"});
    const Json ntsc = Json::parse(out.str()).at("converters").at(0);
    EXPECT_EQ(ntsc.at("input").at("frame_rate"), 29.97);
    EXPECT_EQ(ntsc.at("input").at("scanning"), "interlace");
}

TEST_F(CliTest, ParallelGivesWhatOneByOneGives) {
    const std::vector<std::string> labels = {"ttyACM0", "ttyACM1", "ttyACM2",
                                             "ttyACM3", "ttyACM4", "ttyACM5"};
    const SimKind kinds[] = {SimKind::Rgb, SimKind::Dvi, SimKind::Ntsc};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        auto sim = Add(kinds[i % 3], labels[i]);
        sim->SetInputFormat(static_cast<std::uint8_t>(i));  // a different state on each
    }
    for (const char* command : {"list", "status", "get"}) {
        ASSERT_EQ(Run({"--json", command}), 0) << err.str();
        const Json all = Json::parse(out.str()).at("converters");
        ASSERT_EQ(all.size(), labels.size());
        for (std::size_t i = 0; i < labels.size(); ++i) {
            ASSERT_EQ(Run({"--json", "--port", labels[i], command}), 0);
            EXPECT_EQ(Json::parse(out.str()).at("converters").at(0), all.at(i))
                << command << " " << labels[i];
        }
    }
}

TEST_F(CliTest, ASilentConverterFailsWhileTheOthersAnswer) {
    Add(SimKind::Rgb, "ttyACM0");
    auto silent = Add(SimKind::Dvi, "ttyACM1");
    Add(SimKind::Ntsc, "ttyACM2");
    silent->AddFault({SimFaultKind::Silence, 0, kSimAnyCommand, kSimForever});
    EXPECT_EQ(Run({"--json", "status"}), 1);
    EXPECT_THAT(err.str(), HasSubstr("ttyACM1: the converter is not connected"));
    const Json list = Json::parse(out.str()).at("converters");
    EXPECT_EQ(list.at(0).at("ok"), true);
    EXPECT_EQ(list.at(1).at("ok"), false);
    EXPECT_EQ(list.at(1).at("port"), "ttyACM1");
    EXPECT_EQ(list.at(2).at("ok"), true);
    EXPECT_EQ(list.at(2).at("fpga_temperature"), 45.3);
}

TEST_F(CliTest, SelectionAndExitCodes) {
    EXPECT_EQ(Run({"status"}), 3) << "nothing attached";
    auto rgb = Add(SimKind::Rgb, "ttyACM0");
    Add(SimKind::Dvi, "ttyACM1");
    EXPECT_EQ(Run({"--port", "ttyACM9", "status"}), 3);
    EXPECT_EQ(Run({"--kind", "ntsc", "status"}), 3);
    EXPECT_EQ(Run({"--kind", "rgb", "save"}), 0) << "a kind is a choice";
    EXPECT_EQ(Run({"nonsense"}), 2);
    EXPECT_EQ(Run({"status", "--help"}), 0);
    EXPECT_THAT(out.str(), HasSubstr("--watch"));
    EXPECT_EQ(Run({"status", "--watch", "0.1", "--count", "2", "--json", "--port", "ttyACM0"}), 0);
    const std::string rounds = out.str();
    EXPECT_EQ(std::count(rounds.begin(), rounds.end(), '\n'), 2) << "one document a round";

    // A port another program holds: exit code 4 when that is the only failure.
    const std::uint64_t held = rgb->TryOpen();
    EXPECT_EQ(Run({"status"}), 4);
    EXPECT_THAT(err.str(), HasSubstr("ttyACM0: the port is in use"));
    rgb->ReleaseOpen(held);

    // An unplugged converter's port says so rather than only that it did not open.
    rgb->Unplug();
    EXPECT_EQ(Run({"status"}), 1);
    EXPECT_THAT(err.str(),
                HasSubstr("ttyACM0: the port is not there (the converter was unplugged)"));
}

TEST_F(CliTest, IdWritesTheMergedRecordOnlyWhenItChanges) {
    auto sim = Add(SimKind::Rgb, "ttyACM0");
    ASSERT_EQ(Run({"--json", "id", "--enable", "on", "--sn", "1234", "--did", "0x51"}), 0)
        << err.str();
    Json conv = Json::parse(out.str()).at("converters").at(0);
    EXPECT_EQ(conv.at("written"), true);
    EXPECT_EQ(conv.at("id"), "KTPRGB_00001234") << "filled from the SN, as the page does";
    EXPECT_EQ(conv.at("did"), "0x51");

    // The Name alone changes; SN and ID stay as stored.
    ASSERT_EQ(Run({"--json", "id", "--name", "Studio 2"}), 0);
    conv = Json::parse(out.str()).at("converters").at(0);
    EXPECT_EQ(conv.at("sn"), "00001234");
    EXPECT_EQ(conv.at("name"), "Studio 2");

    sim->ClearLog();
    ASSERT_EQ(Run({"--json", "id", "--name", "Studio 2"}), 0);
    EXPECT_EQ(Json::parse(out.str()).at("converters").at(0).at("written"), false);
    const auto commands = sim->LoggedCommands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x12), 0);
}

TEST_F(CliTest, ControlCharactersOfAConverterNameNeverReachTheTerminal) {
    auto sim = Add(SimKind::Rgb, "ttyACM0");
    IdBlock block = DefaultIdBlock();
    // Sets the window title, clears the screen, a C1 CSI, a line feed; "é" and NBSP are text.
    const std::string name =
        "\x1b]0;owned\x07\x1b[2J\xC2\x9B"
        "1m\nX\xC3\xA9\xC2\xA0";
    std::copy(name.begin(), name.end(), block.begin() + kIdOffName);
    std::array<std::uint8_t, kSimIdStorageSize> storage{};
    std::uint16_t length = 0;
    ASSERT_TRUE(EncodeIdRecord(block, storage, length));
    sim->SetIdStorage(storage);

    const std::string shown = "\\u001b]0;owned\\u0007\\u001b[2J\\u009b1m\\u000aX\xC3\xA9\xC2\xA0";
    for (const char* command : {"list", "id"}) {
        ASSERT_EQ(Run({command}), 0) << err.str();
        const std::string text = out.str();
        EXPECT_THAT(text, HasSubstr(shown)) << command;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    }
    // JSON escapes them itself, and reads back as the converter holds the Name.
    ASSERT_EQ(Run({"--json", "list"}), 0);
    EXPECT_EQ(Json::parse(out.str())["converters"][0]["id_function"]["name"], name);
}

// A directory of its own under the system's temporary one, removed with the test.
class CliFilesTest : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("vexiloctl-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        CliTest::TearDown();
    }
    std::string Write(const std::string& name, const std::string& text) {
        const auto path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    static std::string Read(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path dir;
};

TEST_F(CliFilesTest, BadSettingsFilesAreRefusedBeforeAnythingIsSent) {
    auto rgb = Add(SimKind::Rgb, "ttyACM0");
    const std::string head = R"({"format":"vexilo-settings","version":1,"converters":[)";
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {R"({"format":1})", "not a settings file"},
        {head + R"({"kind":"rgb","adjustments":{"input_format":0,"values":{"hpos":)"
                R"(18446744073709551116}}}]})",
         "converters[0]: hpos: '18446744073709551116' is not allowed"},
        {head + R"({"kind":"rgb","output":{"scaler":"sync","scaler":"full"}}]})",
         "converters[0].output: \"scaler\" is given twice"},
        {head + "\n{\"kind\": \"rgb\",}]}", "line 2, column 16"},
        {std::string(3 * 1024 * 1024, ' '), "larger than 1024 KiB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run({"apply", Write("bad.json", c.text)}), 2) << c.message;
        EXPECT_THAT(err.str(), HasSubstr(c.message));
        EXPECT_THAT(err.str(), HasSubstr("nothing was sent"));
    }
    EXPECT_TRUE(rgb->Log().empty());
}

TEST_F(CliFilesTest, BackupReplacesTheFileItselfKeepingItsMode) {
    Add(SimKind::Rgb, "ttyACM0");
    const std::string file = Write("rack.json", "old");
    ::chmod(file.c_str(), 0600);
    ASSERT_EQ(Run({"backup", file}), 0) << err.str();
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(Json::parse(Read(file)).contains("converters"));

    // Links planted at the name or at a guessable temporary name are never written through.
    const std::string victim = Write("victim", "keep");
    std::filesystem::create_symlink(victim, dir / "rack.json.partial");
    std::filesystem::create_symlink(victim, dir / "link.json");
    ASSERT_EQ(Run({"backup", file}), 0) << err.str();
    ASSERT_EQ(Run({"backup", (dir / "link.json").string()}), 0) << err.str();
    EXPECT_EQ(Read(victim), "keep");
    EXPECT_FALSE(std::filesystem::is_symlink(dir / "link.json"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir),
                            std::filesystem::directory_iterator()),
              4)
        << "a temporary file was left behind";
}

}  // namespace
}  // namespace vexilo::test
