// The trace file is opened without following links and is not inherited.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "protocol/frame_trace.h"
#include "protocol/trace_file.h"

namespace vexilo {
namespace {

TEST(TraceFile, ALinkIsNotFollowedAndTheFileIsClosedOnExec) {
    const std::string victim = ::testing::TempDir() + "trace_victim.txt";
    const std::string link = ::testing::TempDir() + "trace_link.txt";
    std::ofstream(victim) << "keep";
    std::remove(link.c_str());
    ASSERT_EQ(::symlink(victim.c_str(), link.c_str()), 0);
    std::string error;
    EXPECT_FALSE(StartFrameTrace(link, &error));
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
    std::remove(link.c_str());

    std::FILE* file = OpenTraceFile(link, error);
    ASSERT_NE(file, nullptr) << error;
    EXPECT_TRUE(::fcntl(::fileno(file), F_GETFD) & FD_CLOEXEC);
    std::fclose(file);
    std::ifstream in(victim);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "keep");
    std::remove(link.c_str());
    std::remove(victim.c_str());
}

}  // namespace
}  // namespace vexilo
