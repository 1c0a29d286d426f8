#include <grp.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include <chrono>
#include <thread>

#include "serial/pelk_rs232.h"
#include "serial/wait_observer.h"
#include "support/pty_pair.h"

namespace vexilo {
namespace {

using test::PtyPair;
using Clock = std::chrono::steady_clock;

// Short time-outs keep the suite fast; the budgets still follow constant + per-byte.
constexpr SerialTimeouts kFast{200, 1, 200, 1};

class SerialPosixTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        port = pty.path();
    }

    PtyPair pty;
    std::string port;
};

TEST_F(SerialPosixTest, OpensRaw115200AndExchangesBytes) {
    CPelkRS232 link(port, kFast);
    ASSERT_TRUE(link.IsOpen());

    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.master(), &tio), 0);  // a pty shares one termios for both ends
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B115200));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ISIG | ECHO), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);

    // Every byte value crosses unchanged, ETX and XON/XOFF included.
    std::vector<std::uint8_t> all(256);
    for (int i = 0; i < 256; ++i) {
        all[static_cast<size_t>(i)] = static_cast<std::uint8_t>(i);
    }
    link.Write(all.data(), 256);
    EXPECT_EQ(pty.Receive(256), std::vector<unsigned char>(all.begin(), all.end()));

    pty.Send({0x02, 0x0F, 0x00, 0x00, 0x03, 0x0C});
    std::uint8_t in[6] = {};
    ASSERT_EQ(link.Read(in, 6), 6);
    EXPECT_EQ(in[0], 0x02);
    EXPECT_EQ(in[5], 0x0C);
}

TEST_F(SerialPosixTest, SecondOpenFailsWhileTheFirstHoldsThePort) {
    auto first = std::make_unique<CPelkRS232>(port, kFast);
    ASSERT_TRUE(first->IsOpen());
    CPelkRS232 second(port, kFast);
    EXPECT_FALSE(second.IsOpen());
    first.reset();
    CPelkRS232 third(port, kFast);
    EXPECT_TRUE(third.IsOpen());
}

TEST_F(SerialPosixTest, AFailedOpenTellsWhetherThePortIsBusyOrGone) {
    CPelkRS232 first(port, kFast);
    EXPECT_EQ(first.OpenFailure(), PortOpenFailure::None);
    CPelkRS232 second(port, kFast);
    EXPECT_EQ(second.OpenFailure(), PortOpenFailure::Busy);
    CPelkRS232 gone("/dev/ttyACM-vexilo-test-missing", kFast);
    EXPECT_EQ(gone.OpenFailure(), PortOpenFailure::Gone);
    // Only character devices open: a regular file or a pipe would take requests and never answer.
    const std::string file = ::testing::TempDir() + "vexilo-serial-file";
    std::fclose(std::fopen(file.c_str(), "w"));
    const std::string fifo = ::testing::TempDir() + "vexilo-serial-fifo";
    std::remove(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {file, fifo}) {
        CPelkRS232 notATerminal(path, kFast);
        EXPECT_FALSE(notATerminal.IsOpen()) << path;
        EXPECT_EQ(notATerminal.OpenFailure(), PortOpenFailure::Other) << path;
    }
    std::remove(file.c_str());
    std::remove(fifo.c_str());
}

// A port the user may not open. Root may open anything, so as root the child drops to nobody
// first; otherwise it takes its own permissions away.
TEST_F(SerialPosixTest, AFailedOpenTellsAMissingPermission) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const bool dropped = ::geteuid() == 0 ? ::setgroups(0, nullptr) == 0 &&
                                                        ::setgid(65534) == 0 && ::setuid(65534) == 0
                                                  : ::chmod(pty.path().c_str(), 0) == 0;
            CPelkRS232 link(port, kFast);
            std::_Exit(!dropped ? 2 : link.OpenFailure() == PortOpenFailure::Permission ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(SerialPosixErrors, EachOpenErrorHasItsReason) {
    const std::pair<int, PortOpenFailure> cases[] = {
        {EBUSY, PortOpenFailure::Busy},        {EWOULDBLOCK, PortOpenFailure::Busy},
        {EACCES, PortOpenFailure::Permission}, {EPERM, PortOpenFailure::Permission},
        {ENOENT, PortOpenFailure::Gone},       {ENODEV, PortOpenFailure::Gone},
        {ENXIO, PortOpenFailure::Gone},        {EIO, PortOpenFailure::Other},
    };
    for (const auto& [code, reason] : cases) {
        EXPECT_EQ(OpenFailureFromSystemError(code), reason) << code;
    }
}

TEST_F(SerialPosixTest, ReadReturnsPartialDataAtTheDeadlineAndZeroWhenNothingCame) {
    CPelkRS232 link(port, kFast);
    ASSERT_TRUE(link.IsOpen());
    std::uint8_t buf[16] = {};

    pty.Send({1, 2, 3});
    EXPECT_EQ(link.Read(buf, 10), 3);
    EXPECT_EQ(buf[2], 3);

    EXPECT_EQ(link.Read(buf, 4), 0);
}

TEST_F(SerialPosixTest, PurgeDiscardsPendingInput) {
    CPelkRS232 link(port, kFast);
    pty.Send({9, 9, 9});
    pollfd p{pty.slave(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);  // the bytes have reached the port's input queue
    link.Purge();
    int pending = -1;
    ASSERT_EQ(::ioctl(pty.slave(), FIONREAD, &pending), 0);
    EXPECT_EQ(pending, 0);
    pty.Send({7});
    std::uint8_t b = 0;
    ASSERT_EQ(link.Read(&b, 1), 1);
    EXPECT_EQ(b, 7);
}

TEST_F(SerialPosixTest, BytesReadAheadAreServedInOrderAndPurgedWithTheRest) {
    CPelkRS232 link(port, kFast);
    pty.Send({1, 2, 3, 4, 5, 6, 7, 8});
    std::uint8_t b[8] = {};
    ASSERT_EQ(link.Read(b, 1), 1);
    ASSERT_EQ(link.Read(b + 1, 3), 3);
    EXPECT_EQ(b[0], 1);
    EXPECT_EQ(b[3], 4);
    link.Purge();  // 5 to 8 may already sit in the link's own buffer: they go too
    pty.Send({9});
    ASSERT_EQ(link.Read(b, 2), 1);
    EXPECT_EQ(b[0], 9);
}

TEST_F(SerialPosixTest, NothingHappensForCountZeroNullBufferOrAnEmptyPath) {
    CPelkRS232 link(port, kFast);
    std::uint8_t buf[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(link.Read(buf, 0), 0);
    EXPECT_EQ(link.Read(nullptr, 4), 0);
    link.Write(buf, 0);
    link.Write(nullptr, 4);
    EXPECT_TRUE(pty.Receive(1, 50).empty());
    EXPECT_EQ(buf[0], 0xAA);

    CPelkRS232 none("", kFast);
    EXPECT_FALSE(none.IsOpen());
    EXPECT_EQ(none.Read(buf, 4), 0);
    none.Write(buf, 4);
    none.Purge();
    EXPECT_FALSE(none.Open(""));
}

TEST_F(SerialPosixTest, OpenCanReopenAndClosesFirst) {
    CPelkRS232 link(port, kFast);
    ASSERT_TRUE(link.IsOpen());
    EXPECT_TRUE(link.Open(port));  // the old handle is closed first, so the lock is free again
    EXPECT_FALSE(link.Open(""));
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(SerialPosixTest, PeerClosingMidReadFailsCleanlyWithoutWaitingForTheDeadline) {
    pty.CloseSlave();
    CPelkRS232 link(port, SerialTimeouts::Standard());
    ASSERT_TRUE(link.IsOpen());
    pty.Send({0x02});

    std::thread unplug([this] {
        pty.Receive(0, 30);  // a short pause without sleeping: a poll with nothing to read
        pty.CloseMaster();
    });
    std::uint8_t buf[8] = {};
    const auto start = Clock::now();
    const int n = link.Read(buf, 8);
    const auto waited = Clock::now() - start;
    unplug.join();

    EXPECT_EQ(n, 0);
    EXPECT_LT(waited, std::chrono::milliseconds(2500));  // the deadline would be 3080 ms
    // Later operations fail the same way and do not crash.
    link.Write(buf, 8);
    link.Purge();
    EXPECT_EQ(link.Read(buf, 1), 0);
}

// A user interface hears of a wait while it lasts, in ticks; a thread without an observer waits
// in one piece.
TEST_F(SerialPosixTest, AWaitingReadTicksTheThreadsObserverUntilItsDeadline) {
    struct Ticks : IWaitObserver {
        void CommandStarted() override { ++started; }
        void StillWaiting() override { ++ticks; }
        void CommandFinished() override { ++finished; }
        int started = 0, ticks = 0, finished = 0;
    } observer;
    CPelkRS232 link(port, kFast);
    std::uint8_t buf[4] = {};
    ASSERT_EQ(SetWaitObserver(&observer), nullptr);
    {
        const ObservedCommand command;
        EXPECT_EQ(link.Read(buf, 4), 0);
    }
    EXPECT_GE(observer.ticks, 2);  // a 204 ms wait in ticks of kWaitTickMs
    EXPECT_EQ(observer.started, 1);
    EXPECT_EQ(observer.finished, 1);

    IWaitObserver* seenByOtherThread = &observer;
    std::thread other([&] { seenByOtherThread = CurrentWaitObserver(); });
    other.join();
    EXPECT_EQ(seenByOtherThread, nullptr);
    SetWaitObserver(nullptr);
}

}  // namespace
}  // namespace vexilo
