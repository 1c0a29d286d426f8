#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace vexilo::test {

// A pseudo-terminal whose slave side stands in for a converter's serial port and whose master
// side plays the converter. Both ends are raw: ETX (0x03) is also the default interrupt character.
class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        if (::openpty(&master_, &slave_, name, &raw, nullptr) == 0) {
            path_ = name;
            ::tcsetattr(master_, TCSANOW, &raw);
        }
    }
    ~PtyPair() {
        CloseMaster();
        if (slave_ >= 0) {
            ::close(slave_);
        }
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && !path_.empty(); }
    const std::string& path() const { return path_; }
    int master() const { return master_; }
    int slave() const { return slave_; }

    void CloseMaster() {
        if (master_ >= 0) {
            ::close(master_);
            master_ = -1;
        }
    }
    // The fd the test keeps on the slave, closed so only the port under test holds it.
    void CloseSlave() {
        if (slave_ >= 0) {
            ::close(slave_);
            slave_ = -1;
        }
    }

    void Send(const std::vector<unsigned char>& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) {
                return;
            }
            done += static_cast<size_t>(n);
        }
    }

    // Reads exactly `count` bytes from the converter side, waiting at most `timeoutMs` in all.
    std::vector<unsigned char> Receive(size_t count, int timeoutMs = 2000) const {
        std::vector<unsigned char> out;
        while (out.size() < count) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) {
                break;
            }
            unsigned char buf[256];
            const size_t want = std::min(sizeof buf, count - out.size());
            const ssize_t n = ::read(master_, buf, want);
            if (n <= 0) {
                break;
            }
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace vexilo::test
