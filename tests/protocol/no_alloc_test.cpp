// Proves that a transaction allocates nothing: global operator new is counted while armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>

#include "frames.h"
#include "protocol/dev_channel.h"
#include "protocol/frame_trace.h"
#include "support/fake_comm.h"

namespace {
std::atomic<bool> g_armed{false};
std::atomic<int> g_allocations{0};
}  // namespace

// GCC pairs the replaced operator new with free() below and warns, though both sides use malloc.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    if (g_armed.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace vexilo {
namespace {

// A byte source that allocates nothing itself, so any allocation seen is the channel's.
class FixedReplyComm : public IPelkComm {
public:
    explicit FixedReplyComm(std::vector<std::uint8_t> reply) : reply_(std::move(reply)) {}
    bool IsOpen() const override { return true; }
    bool Open(const std::string&) override { return true; }
    void Write(const std::uint8_t*, int) override { pos_ = 0; }
    int Read(std::uint8_t* buffer, int count) override {
        int n = 0;
        while (n < count && pos_ < reply_.size()) {
            buffer[n++] = reply_[pos_++];
        }
        return n;
    }
    void Purge() override {}

private:
    std::vector<std::uint8_t> reply_;
    size_t pos_ = 0;
};

// 100 successful and 100 failed transactions; the allocations counted while they ran.
int AllocationsOfTransactions() {
    CDevChannel ok(
        std::make_unique<FixedReplyComm>(test::Frame(0x03, std::vector<std::uint8_t>(13, 1))),
        "ttyACM0");
    CDevChannel bad(std::make_unique<FixedReplyComm>(std::vector<std::uint8_t>{0x02, 0x03}),
                    "ttyACM1");
    const std::uint8_t data[4] = {0x01, 0x02, 0x03, 0x04};

    g_allocations = 0;
    g_armed = true;
    bool r1 = true;
    bool r2 = false;
    for (int i = 0; i < 100; ++i) {
        r1 = r1 && ok.Transact(0x03, data, 4);
        r2 = r2 || bad.Transact(0x03);
    }
    g_armed = false;

    EXPECT_TRUE(r1);
    EXPECT_FALSE(r2);
    return g_allocations.load();
}

TEST(TransactAllocation, SuccessfulAndFailedTransactionsAllocateNothing) {
    StopFrameTrace();
    EXPECT_EQ(AllocationsOfTransactions(), 0);
}

TEST(TransactAllocation, NorWithTheFrameTraceOn) {
    const std::string path = ::testing::TempDir() + "no_alloc_trace.txt";
    std::remove(path.c_str());
    ASSERT_TRUE(StartFrameTrace(path));
    EXPECT_EQ(AllocationsOfTransactions(), 0);
    StopFrameTrace();

    std::ifstream trace(path);
    int lines = 0;
    for (std::string line; std::getline(trace, line);) {
        ++lines;
    }
    EXPECT_EQ(lines, 400);  // each transaction: its request and its reply
    std::remove(path.c_str());
}

}  // namespace
}  // namespace vexilo
