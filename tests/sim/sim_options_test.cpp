// Command line of vexilo-sim.
#include <gtest/gtest.h>

#include "sim/sim_options.h"

namespace vexilo::test {
namespace {

SimServerOptions Parse(const std::vector<std::string>& args) {
    SimServerOptions o;
    std::string error;
    EXPECT_TRUE(ParseSimServerArgs(args, &o, &error)) << error;
    return o;
}

TEST(SimOptions, ConvertersFromKindsAndCount) {
    using K = SimKind;
    struct Case {
        std::vector<std::string> args;
        std::vector<SimKind> kinds;
    };
    const Case cases[] = {
        {{}, {K::Rgb, K::Dvi, K::Ntsc}},
        {{"ntsc", "other", "dvi"}, {K::Ntsc, K::Other, K::Dvi}},
        {{"--count", "3"}, {K::Rgb, K::Rgb, K::Rgb}},
        {{"--count=2", "--kind=dvi"}, {K::Dvi, K::Dvi}},
        {{"--kind", "ntsc"}, {K::Ntsc}},
        {{"rgb", "--count", "2", "--kind", "other"}, {K::Rgb, K::Other, K::Other}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(c.args).kinds, c.kinds);
    }
    EXPECT_EQ(Parse({"--count", "16", "--kind", "rgb"}).kinds.size(), 16u);
}

TEST(SimOptions, FirmwareSeriesDelayAndFilesReachTheConverters) {
    const SimServerOptions o =
        Parse({"dvi", "rgb", "--firmware", "old", "--series", "0", "--no-cable-detect", "--delay",
               "25", "--input-format", "0xFF", "--ports-file", "p.txt", "--link-dir", "links",
               "--log", "r.log"});
    EXPECT_EQ(o.portsFile, "p.txt");
    EXPECT_EQ(o.logFile, "r.log");
    EXPECT_EQ(o.linkDir, "links");
    const auto models = MakeSimConverters(o);
    ASSERT_EQ(models.size(), 2u);
    EXPECT_EQ(models[0]->Config().runningVersion, "1.05");
    EXPECT_EQ(models[0]->Config().seriesCode, 0);
    EXPECT_FALSE(models[0]->Config().cableDetect);
    EXPECT_EQ(models[1]->InputFormat(), kSimNoInput);
    const auto r = models[0]->Handle(0x00, nullptr, 0);
    EXPECT_EQ(r.delayMs, 25);
    EXPECT_EQ(FormatVexiloPorts(o.kinds, {"/dev/pts/3", "/dev/pts/4"}),
              "dvi=/dev/pts/3,rgb=/dev/pts/4");
    EXPECT_EQ(SimLinkNames({SimKind::Rgb, SimKind::Dvi, SimKind::Rgb}),
              (std::vector<std::string>{"rgb0", "dvi0", "rgb1"}));
}

TEST(SimOptions, FaultDescriptions) {
    struct Case {
        const char* text;
        SimFaultKind kind;
        int value;
        int command;
        int count;
        int skip;
        int converter;
    };
    const Case cases[] = {
        {"silence", SimFaultKind::Silence, 0, kSimAnyCommand, kSimForever, 0, -1},
        {"delay=250,cmd=0x0f", SimFaultKind::Delay, 250, 0x0F, kSimForever, 0, -1},
        {"error=0x0A,cmd=0x14,port=1", SimFaultKind::ErrorCode, 10, 0x14, kSimForever, 0, 1},
        {"length=-1,count=2,skip=3", SimFaultKind::WrongLength, -1, kSimAnyCommand, 2, 3, -1},
        {"oversized=65535,count=always", SimFaultKind::Oversized, 65535, kSimAnyCommand,
         kSimForever, 0, -1},
        {"short=3", SimFaultKind::ShortReply, 3, kSimAnyCommand, kSimForever, 0, -1},
        {"unplug,skip=10", SimFaultKind::Unplug, 0, kSimAnyCommand, kSimForever, 10, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        SimServerFault f;
        std::string error;
        ASSERT_TRUE(ParseSimFault(c.text, &f, &error)) << error;
        EXPECT_EQ(f.spec.kind, c.kind);
        EXPECT_EQ(f.spec.value, c.value);
        EXPECT_EQ(f.spec.command, c.command);
        EXPECT_EQ(f.spec.count, c.count);
        EXPECT_EQ(f.spec.skip, c.skip);
        EXPECT_EQ(f.converter, c.converter);
    }
}

TEST(SimOptions, MistakesAreReported) {
    const std::vector<std::vector<std::string>> bad{
        {"vga"},
        {"--count"},
        {"--count", "0"},
        {"--count", "65"},
        {"--kind", "hdmi"},
        {"--firmware", "beta"},
        {"--series", "256"},
        {"--delay", "-5"},
        {"--bogus"},
        {"--fault", "melt"},
        {"--fault", "delay"},
        {"--fault", "silence=3"},
        {"--fault", "error=300"},
        {"--fault", "oversized=100"},
        {"--fault", "silence,cmd=0x100"},
        {"--fault", "silence,count=0"},
        {"--fault", "silence,when=now"},
        {"rgb", "--fault", "silence,port=1"},
    };
    for (const auto& args : bad) {
        SimServerOptions o;
        std::string error;
        EXPECT_FALSE(ParseSimServerArgs(args, &o, &error)) << args.back();
        EXPECT_FALSE(error.empty()) << args.back();
    }
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_NE(SimServerUsage().find("--link-dir"), std::string::npos);
}

}  // namespace
}  // namespace vexilo::test
