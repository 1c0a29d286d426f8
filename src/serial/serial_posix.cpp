// Serial link on POSIX systems (Linux cdc_acm ports and pseudo-terminals).
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "serial/pelk_rs232.h"
#include "serial/wait_observer.h"

namespace vexilo {
namespace {

using Clock = std::chrono::steady_clock;

int FdOf(const CRS232Access& access) {
    return static_cast<int>(access.m_hComm);
}

// Milliseconds left until `deadline`, rounded up so a wait never ends early; 0 when past.
int MsLeft(Clock::time_point deadline) {
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) {
        return 0;
    }
    return static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

constexpr short kLineGone = POLLHUP | POLLERR | POLLNVAL;

// Waits for `events` on `fd` until `deadline`. Returns the poll revents, 0 at the deadline and
// kLineGone when poll itself fails. With a wait observer on this thread the wait is cut into
// ticks, and the observer hears of each one.
short WaitFor(int fd, short events, Clock::time_point deadline) {
    IWaitObserver* observer = CurrentWaitObserver();
    for (;;) {
        const int left = MsLeft(deadline);
        const int slice = observer != nullptr ? std::min(left, kWaitTickMs) : left;
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, slice);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0) {
            return kLineGone;
        }
        if (r > 0) {
            return p.revents;
        }
        if (slice >= left) {
            return 0;
        }
        observer->StillWaiting();
    }
}

}  // namespace

PortOpenFailure OpenFailureFromSystemError(long code) {
    switch (code) {
        case EBUSY:        // another program set TIOCEXCL
        case EWOULDBLOCK:  // another program holds the flock (EAGAIN on Linux)
            return PortOpenFailure::Busy;
        case EACCES:
        case EPERM:
            return PortOpenFailure::Permission;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return PortOpenFailure::Gone;
        default:
            return PortOpenFailure::Other;
    }
}

void CRS232Access::Close() {
    if (m_hComm != kNoHandle) {
        ::close(static_cast<int>(m_hComm));  // also releases the flock
        m_hComm = kNoHandle;
    }
}

bool CPelkRS232::Open(const std::string& path) {
    m_pAccess->Close();
    m_readAheadBegin = m_readAheadEnd = 0;
    m_openFailure = PortOpenFailure::Other;
    if (path.empty()) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_openFailure = OpenFailureFromSystemError(errno);
        return false;
    }
    // Only a character device can be a serial line: a regular file or a pipe would swallow the
    // requests and then read as an endless end of file. (Not isatty: test beds that emulate
    // device nodes answer no terminal ioctl, yet their nodes are character devices.)
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        ::close(fd);
        m_openFailure = PortOpenFailure::Other;
        return false;
    }
    // Windows opens a COM port without sharing; flock keeps a second panel (or any cooperating
    // program) away even when running as root, and TIOCEXCL keeps out everyone else but root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_openFailure = OpenFailureFromSystemError(errno);
        ::close(fd);
        return false;
    }
    ::ioctl(fd, TIOCEXCL);  // best effort: a pseudo-terminal may refuse it
    m_pAccess->m_hComm = fd;
    m_openFailure = PortOpenFailure::None;
    return true;
}

void CPelkRS232::Configure() {
    const int fd = FdOf(*m_pAccess);
    termios tio{};
    if (::tcgetattr(fd, &tio) == 0) {
        ::cfmakeraw(&tio);
        tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
        tio.c_cflag |= CS8 | CLOCAL | CREAD;
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        ::cfsetispeed(&tio, B115200);
        ::cfsetospeed(&tio, B115200);
        ::tcsetattr(fd, TCSANOW, &tio);  // as on Windows, a refusal leaves the driver's settings
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(fd, TIOCMBIS, &lines);  // pseudo-terminals have no modem lines; ignore the refusal
}

void CPelkRS232::Write(const std::uint8_t* buffer, int count) {
    if (!IsOpen() || buffer == nullptr || count <= 0) {
        return;
    }
    const int fd = FdOf(*m_pAccess);
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_timeouts.WriteBudgetMs(count));
    int done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, buffer + done, static_cast<size_t>(count - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return;  // EIO after an unplug: the missing reply reports it
        }
        const short ready = WaitFor(fd, POLLOUT, deadline);
        if (ready == 0 || (ready & kLineGone)) {
            return;
        }
    }
    // No tcdrain: it can block without bound on cdc_acm. The reply's read time-out covers the
    // bytes still in the driver's queue.
}

int CPelkRS232::TakeReadAhead(std::uint8_t* buffer, int count) {
    const int n = std::min(count, m_readAheadEnd - m_readAheadBegin);
    if (n > 0) {
        std::memcpy(buffer, m_readAhead.data() + m_readAheadBegin, static_cast<size_t>(n));
        m_readAheadBegin += n;
    }
    return n;
}

int CPelkRS232::Read(std::uint8_t* buffer, int count) {
    if (!IsOpen() || buffer == nullptr || count <= 0) {
        return 0;
    }
    int done = TakeReadAhead(buffer, count);
    if (done == count) {
        return done;
    }
    const int fd = FdOf(*m_pAccess);
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_timeouts.ReadBudgetMs(count));
    while (done < count) {
        const short ready = WaitFor(fd, POLLIN, deadline);
        if (ready == 0) {
            break;  // time-out: hand back what did arrive
        }
        const ssize_t n = ::read(fd, m_readAhead.data(), m_readAhead.size());
        if (n > 0) {
            m_readAheadBegin = 0;
            m_readAheadEnd = static_cast<int>(n);
            done += TakeReadAhead(buffer + done, count - done);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return 0;  // EIO: the line is gone
        }
        // With VMIN = VTIME = 0 a tty read returns 0, not EAGAIN, when nothing is queued, so
        // only poll's hang-up flags tell an empty queue from an unplugged converter.
        if (ready & kLineGone) {
            return 0;
        }
    }
    return done;
}

void CPelkRS232::Purge() {
    m_readAheadBegin = m_readAheadEnd = 0;
    if (IsOpen()) {
        ::tcflush(FdOf(*m_pAccess), TCIOFLUSH);
    }
}

}  // namespace vexilo
