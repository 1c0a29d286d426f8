// The pseudo-terminal transport, talked to through the panel's real serial link.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "protocol/dev_channel.h"
#include "serial/pelk_rs232.h"
#include "sim/sim_pty_server.h"

extern char** environ;

namespace vexilo::test {
namespace {

using Clock = std::chrono::steady_clock;

// Short time-outs so a silent converter costs a fraction of a second.
constexpr SerialTimeouts kQuick{300, 1, 300, 1};

bool Txn(CDevChannel& ch, std::uint8_t command, const std::vector<std::uint8_t>& data = {}) {
    return ch.Transact(command, data.data(), static_cast<int>(data.size()));
}

std::vector<std::uint8_t> Reply(const CDevChannel& ch) {
    return {ch.ReplyData(), ch.ReplyData() + ch.m_nReplyLength};
}

TEST(SimPty, ServesTheSerialLinkAcrossReopenFaultsAndUnplug) {
    CSimPtyServer server;
    ASSERT_TRUE(server.Ok()) << server.Error();
    auto rgb = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Rgb));
    auto dvi = std::make_shared<CSimConverter>(SimConfig::For(SimKind::Dvi));
    const std::string rgbPath = server.AddConverter(rgb);
    const std::string dviPath = server.AddConverter(dvi);
    ASSERT_FALSE(rgbPath.empty()) << server.Error();
    ASSERT_FALSE(dviPath.empty()) << server.Error();
    std::thread loop([&server] { server.Run(); });

    {
        CDevChannel ch(std::make_unique<CPelkRS232>(rgbPath, kQuick));
        ASSERT_TRUE(ch.m_pComm->IsOpen());
        ASSERT_TRUE(Txn(ch, 0x01, {0}));
        EXPECT_EQ(Reply(ch), (std::vector<std::uint8_t>{'3', '.', '1', '0'}));
        // Every byte value, ETX and the interrupt characters included, crosses both ways.
        std::vector<std::uint8_t> write(1021);
        write[0] = 0x04;
        for (size_t i = 1; i < write.size(); ++i) {
            write[i] = static_cast<std::uint8_t>(i);
        }
        ASSERT_TRUE(Txn(ch, 0x12, write));
        EXPECT_EQ(ch.m_nReplyLength, 1);
        ASSERT_TRUE(Txn(ch, 0x11, {0x04}));
        ASSERT_EQ(ch.m_nReplyLength, 1024);
        EXPECT_TRUE(std::equal(write.begin() + 1, write.end(), ch.ReplyData()));
    }
    {
        CDevChannel ch(std::make_unique<CPelkRS232>(rgbPath, kQuick));
        ASSERT_TRUE(ch.m_pComm->IsOpen()) << "reopen refused";
        EXPECT_TRUE(Txn(ch, 0x00, {0x00}));

        rgb->AddFault({SimFaultKind::Silence});
        const auto start = Clock::now();
        EXPECT_FALSE(Txn(ch, 0x0F));
        EXPECT_EQ(ch.m_nStatus, 6);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));

        rgb->AddFault({SimFaultKind::Delay, 50});
        EXPECT_TRUE(Txn(ch, 0x0F));
        rgb->AddFault({SimFaultKind::Garbage, 12});
        EXPECT_TRUE(Txn(ch, 0x0F));
        rgb->AddFault({SimFaultKind::WrongCheck});
        EXPECT_FALSE(Txn(ch, 0x0F));
        EXPECT_EQ(ch.m_nStatus, 4);

        rgb->AddFault({SimFaultKind::Unplug});
        EXPECT_FALSE(Txn(ch, 0x00));
        EXPECT_FALSE(Txn(ch, 0x00));
        EXPECT_EQ(ch.m_nStatus, 6);
    }
    EXPECT_EQ(rgb->LoggedCommands(),
              (std::vector<std::uint8_t>{0x01, 0x12, 0x11, 0x00, 0x0F, 0x0F, 0x0F, 0x0F, 0x00}));

    // The other converter is served all along.
    CDevChannel d(std::make_unique<CPelkRS232>(dviPath, kQuick));
    ASSERT_TRUE(Txn(d, 0x14, {0x00}));
    EXPECT_EQ(Reply(d), std::vector<std::uint8_t>{1});

    server.Stop();
    loop.join();
}

// Reads one line from `fd` within `timeoutMs`.
std::string ReadLine(int fd, int timeoutMs) {
    std::string line;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (line.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            break;
        }
        line.append(buf, static_cast<size_t>(n));
    }
    return line.substr(0, line.find('\n'));
}

// Waits within `timeoutMs` for an inotify event with `mask` on `fd`.
bool WaitForEvent(int fd, std::uint32_t mask, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        alignas(inotify_event) char buf[1024];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        for (ssize_t off = 0; off < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buf + off);
            if (ev->mask & mask) {
                return true;
            }
            off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
}

TEST(SimPty, CommandLineServerPrintsPortsServesAndCleansUp) {
    char dirTemplate[] = "/tmp/vexilo-sim-test.XXXXXX";
    ASSERT_NE(::mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate;
    const std::string portsFile = dir + "/ports";
    const std::string linkDir = dir + "/links";

    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string logFile = dir + "/requests.log";
    std::vector<std::string> args{VEXILO_SIM_EXE, "ntsc",  "--ports-file", portsFile,
                                  "--link-dir",   linkDir, "--log",        logFile};
    std::vector<char*> argv;
    for (auto& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, VEXILO_SIM_EXE, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);

    const std::string line = ReadLine(out[0], 10000);
    ASSERT_EQ(line.rfind("VEXILO_PORTS=ntsc=/dev/pts/", 0), 0u) << line;
    std::ifstream file(portsFile);
    std::string fromFile;
    std::getline(file, fromFile);
    EXPECT_EQ(fromFile, line);

    {
        CDevChannel ch(std::make_unique<CPelkRS232>(linkDir + "/ntsc0", kQuick));
        ASSERT_TRUE(ch.m_pComm->IsOpen());
        ASSERT_TRUE(Txn(ch, 0x07, {0x01, 0x02}));
        EXPECT_EQ(Reply(ch), (std::vector<std::uint8_t>{128, 0}));
    }

    // SIGUSR1 unplugs the converter (its link goes) and the next one plugs it in again on a
    // new terminal, behind the same link.
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, linkDir.c_str(), IN_DELETE | IN_CREATE), 0);
    ASSERT_EQ(::kill(pid, SIGUSR1), 0);
    ASSERT_TRUE(WaitForEvent(watch, IN_DELETE, 10000));
    ASSERT_EQ(::kill(pid, SIGUSR1), 0);
    ASSERT_TRUE(WaitForEvent(watch, IN_CREATE, 10000));
    ::close(watch);
    {
        CDevChannel ch(std::make_unique<CPelkRS232>(linkDir + "/ntsc0", kQuick));
        ASSERT_TRUE(ch.m_pComm->IsOpen());
        EXPECT_TRUE(Txn(ch, 0x00, {0x00}));
    }

    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    struct stat st {};
    EXPECT_NE(::lstat(portsFile.c_str(), &st), 0);
    EXPECT_NE(::lstat((linkDir + "/ntsc0").c_str(), &st), 0);
    // Every request, in order, across the replug.
    std::ifstream log(logFile);
    const std::string logged((std::istreambuf_iterator<char>(log)),
                             std::istreambuf_iterator<char>());
    EXPECT_EQ(logged, "0 0x07\n0 0x00\n");
    ::unlink(logFile.c_str());
    ::close(out[0]);
    ::rmdir(linkDir.c_str());
    ::rmdir(dir.c_str());
}

}  // namespace
}  // namespace vexilo::test
