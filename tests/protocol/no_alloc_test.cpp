// Proves that a transaction allocates nothing: global operator new is counted while armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "frames.h"
#include "protocol/dev_channel.h"
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
    bool Open(int) override { return true; }
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

TEST(TransactAllocation, SuccessfulAndFailedTransactionsAllocateNothing) {
    CDevChannel ok(
        std::make_unique<FixedReplyComm>(test::Frame(0x03, std::vector<std::uint8_t>(13, 1))));
    CDevChannel bad(std::make_unique<FixedReplyComm>(std::vector<std::uint8_t>{0x02, 0x03}));
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
    EXPECT_EQ(g_allocations.load(), 0);
}

}  // namespace
}  // namespace vexilo
