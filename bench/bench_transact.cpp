// One Transact round trip over a pseudo-terminal against a peer that answers at once, beside a
// bare write/poll/read loop on the same kind of pair: the difference is the panel's own overhead.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

#include "protocol/dev_channel.h"
#include "serial/pelk_rs232.h"

namespace {

using namespace vexilo;

// Answers every complete request frame with a one-byte data reply, until stopped.
class EchoPeer {
public:
    EchoPeer() {
        termios raw{};
        ::cfmakeraw(&raw);
        char name[256] = {};
        ::openpty(&master_, &slave_, name, &raw, nullptr);
        path_ = name;
        thread_ = std::thread([this] { Run(); });
    }
    ~EchoPeer() {
        stop_ = true;
        thread_.join();
        ::close(master_);
        ::close(slave_);
    }
    const std::string& path() const { return path_; }

private:
    void Run() {
        std::vector<std::uint8_t> pending;
        std::uint8_t reply[7];
        const std::uint8_t data = 0x00;
        BuildFrame(reply, 0x00, &data, 1);
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) {
                continue;
            }
            std::uint8_t buf[4096];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0) {
                continue;
            }
            pending.insert(pending.end(), buf, buf + n);
            while (pending.size() >= 6) {
                const size_t len = pending[2] + 256u * pending[3] + 6u;
                if (pending.size() < len) {
                    break;
                }
                pending.erase(pending.begin(), pending.begin() + static_cast<long>(len));
                if (::write(master_, reply, sizeof reply) != sizeof reply) {
                    return;
                }
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void BM_Transact(benchmark::State& state) {
    EchoPeer peer;
    CDevChannel channel(std::make_unique<CPelkRS232>(peer.path()));
    const std::uint8_t data = 0x00;
    for (auto _ : state) {
        if (!channel.Transact(0x00, &data, 1)) {
            state.SkipWithError("transaction failed");
            break;
        }
    }
}
BENCHMARK(BM_Transact)->UseRealTime()->MinTime(2.0);

void BM_BareLoop(benchmark::State& state) {
    EchoPeer peer;
    const int fd = ::open(peer.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);
    std::uint8_t request[7];
    const std::uint8_t data = 0x00;
    BuildFrame(request, 0x00, &data, 1);
    std::uint8_t reply[7];
    for (auto _ : state) {
        if (::write(fd, request, sizeof request) != sizeof request) {
            state.SkipWithError("write failed");
            break;
        }
        size_t got = 0;
        while (got < sizeof reply) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 3000) <= 0) {
                break;
            }
            const ssize_t n = ::read(fd, reply + got, sizeof reply - got);
            if (n > 0) {
                got += static_cast<size_t>(n);
            }
        }
        if (got != sizeof reply) {
            state.SkipWithError("no reply");
            break;
        }
    }
    ::close(fd);
}
BENCHMARK(BM_BareLoop)->UseRealTime()->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
