// Pseudo-terminal transport of the simulator (Linux: posix_openpt, inotify).
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <utility>

#include "sim/sim_frame_parser.h"
#include "sim/sim_pty_server.h"

namespace vexilo {
namespace {

using Clock = std::chrono::steady_clock;

// A frame left unfinished this long is dropped, as the firmware's receiver times out.
constexpr auto kFrameGap = std::chrono::milliseconds(200);

void MakeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B115200);
    ::cfsetospeed(&tio, B115200);
    ::tcsetattr(fd, TCSANOW, &tio);
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

std::string Errno(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

struct CSimPtyServer::Port {
    struct Scheduled {
        Clock::time_point at;
        std::vector<std::uint8_t> bytes;
    };

    std::shared_ptr<CSimConverter> model;
    std::string path;
    int master = -1;
    int slave = -1;  // held so the terminal survives a client's close
    int watch = -1;
    CSimFrameParser parser;
    Clock::time_point lastByte{};
    std::deque<Scheduled> scheduled;
    std::vector<std::uint8_t> out;
    size_t outDone = 0;
    std::uint8_t formatBeforeNoInput = 0;

    bool Live() const { return master >= 0; }
};

CSimPtyServer::CSimPtyServer() {
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_error = Errno("pipe2");
        m_wake[0] = m_wake[1] = -1;
        return;
    }
    // Without inotify the server still serves; only a non-root client's reopen after TIOCEXCL
    // would then be refused.
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
}

CSimPtyServer::~CSimPtyServer() {
    for (auto& p : m_ports) {
        Unplug(*p);
    }
    CloseFd(m_inotify);
    CloseFd(m_wake[0]);
    CloseFd(m_wake[1]);
}

bool CSimPtyServer::Ok() const {
    return m_wake[0] >= 0;
}

std::string CSimPtyServer::AddConverter(std::shared_ptr<CSimConverter> model) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        m_error = Errno("posix_openpt");
        return {};
    }
    return AddConverterOnTerminal(std::move(model), master);
}

std::string CSimPtyServer::AddConverterOnTerminal(std::shared_ptr<CSimConverter> model,
                                                  int master) {
    if (!Ok()) {
        CloseFd(master);
        return {};
    }
    auto port = std::make_unique<Port>();
    port->model = std::move(model);
    if (!OpenTerminal(*port, master)) {
        return {};
    }
    m_ports.push_back(std::move(port));
    return m_ports.back()->path;
}

bool CSimPtyServer::OpenTerminal(Port& port, int master) {
    port.master = master;
    const int flags = ::fcntl(master, F_GETFL);
    ::fcntl(master, F_SETFL, flags | O_NONBLOCK);
    char name[128] = {};
    if (::grantpt(port.master) != 0 || ::unlockpt(port.master) != 0 ||
        ::ptsname_r(port.master, name, sizeof name) != 0) {
        m_error = Errno("pseudo-terminal set-up");
        CloseFd(port.master);
        return false;
    }
    port.path = name;
    port.slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (port.slave < 0) {
        m_error = Errno(name);
        CloseFd(port.master);
        return false;
    }
    MakeRaw(port.master);
    MakeRaw(port.slave);
    if (m_inotify >= 0) {
        port.watch = ::inotify_add_watch(m_inotify, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE);
    }
    port.parser.Reset();
    return true;
}

void CSimPtyServer::SetHotplug(int port, int everyMs) {
    m_hotplugPort = port;
    m_hotplugEveryMs = everyMs;
}

void CSimPtyServer::RequestToggle() noexcept {
    m_toggle = true;
    if (m_wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
    }
}

void CSimPtyServer::RequestInputToggle() noexcept {
    m_inputToggle = true;
    if (m_wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
    }
}

void CSimPtyServer::ToggleInput() {
    for (auto& p : m_ports) {
        const std::uint8_t now = p->model->InputFormat();
        if (now == kSimNoInput) {
            p->model->SetInputFormat(p->formatBeforeNoInput);
        } else {
            p->formatBeforeNoInput = now;
            p->model->SetInputFormat(kSimNoInput);
        }
    }
}

void CSimPtyServer::Toggle() {
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        if (m_hotplugPort >= 0 && static_cast<std::size_t>(m_hotplugPort) != i) {
            continue;
        }
        Port& p = *m_ports[i];
        if (p.Live()) {
            Unplug(p);
            p.path.clear();
        } else {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (master < 0 || !OpenTerminal(p, master)) {
                p.path.clear();  // stays unplugged; the next toggle tries again
            }
        }
        if (m_onPathChanged) {
            m_onPathChanged(i, p.path);
        }
    }
}

void CSimPtyServer::Stop() noexcept {
    m_stop = true;
    if (m_wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &byte, 1);
    }
}

void CSimPtyServer::Unplug(Port& port) {
    if (port.watch >= 0 && m_inotify >= 0) {
        ::inotify_rm_watch(m_inotify, port.watch);
    }
    port.watch = -1;
    CloseFd(port.slave);
    CloseFd(port.master);  // the client now sees a hang-up, and the path goes away
    port.scheduled.clear();
    port.out.clear();
    port.outDone = 0;
}

void CSimPtyServer::ClientClosed(Port& port) {
    // The client's TIOCEXCL outlives its close while we hold the terminal; lift it so the
    // next open succeeds, and forget what was meant for the client that left.
    ::ioctl(port.slave, TIOCNXCL);
    ::tcflush(port.slave, TCIFLUSH);
    port.parser.Reset();
    port.scheduled.clear();
    port.out.clear();
    port.outDone = 0;
}

void CSimPtyServer::HandleInotify() {
    alignas(inotify_event) char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_inotify, buf, sizeof buf);
        if (n <= 0) {
            return;
        }
        for (ssize_t off = 0; off < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buf + off);
            for (auto& p : m_ports) {
                if (p->Live() && p->watch == ev->wd) {
                    ClientClosed(*p);
                }
            }
            off += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
}

std::size_t CSimPtyServer::IndexOf(const Port& port) const {
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        if (m_ports[i].get() == &port) {
            return i;
        }
    }
    return m_ports.size();
}

void CSimPtyServer::ReadRequests(Port& port) {
    std::uint8_t buf[4096];
    for (;;) {
        const ssize_t n = ::read(port.master, buf, sizeof buf);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;  // nothing more now (EAGAIN); EIO cannot happen while we hold the slave
        }
        const auto now = Clock::now();
        port.lastByte = now;
        for (ssize_t i = 0; i < n; ++i) {
            SimResponse response;
            switch (port.parser.Feed(buf[i])) {
                case CSimFrameParser::Result::Frame:
                    if (m_onRequest) {
                        m_onRequest(IndexOf(port), port.parser.Command());
                    }
                    response = port.model->Handle(port.parser.Command(), port.parser.Data().data(),
                                                  static_cast<int>(port.parser.Data().size()));
                    break;
                case CSimFrameParser::Result::BadFrame:
                    response = port.model->HandleBadFrame();
                    break;
                case CSimFrameParser::Result::None:
                    continue;
            }
            if (response.unplug) {
                Unplug(port);
                return;
            }
            if (response.bytes.empty()) {
                continue;
            }
            auto at = now + std::chrono::milliseconds(response.delayMs);
            if (!port.scheduled.empty()) {
                at = std::max(at, port.scheduled.back().at);
            }
            port.scheduled.push_back(Port::Scheduled{at, std::move(response.bytes)});
        }
    }
}

void CSimPtyServer::FlushReplies(Port& port) {
    while (port.outDone < port.out.size()) {
        const ssize_t n =
            ::write(port.master, port.out.data() + port.outDone, port.out.size() - port.outDone);
        if (n > 0) {
            port.outDone += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return;  // full: poll says when to go on
    }
    port.out.clear();
    port.outDone = 0;
}

int CSimPtyServer::Run() {
    if (!Ok()) {
        return 1;
    }
    std::vector<pollfd> fds;
    std::vector<Port*> polled;
    const auto every = std::chrono::milliseconds(m_hotplugEveryMs);
    auto nextToggle = m_hotplugEveryMs > 0 ? Clock::now() + every : Clock::time_point::max();
    for (;;) {
        const auto now = Clock::now();
        if (now >= nextToggle) {
            Toggle();
            nextToggle = now + every;
        }
        auto next = nextToggle;
        for (auto& p : m_ports) {
            if (!p->Live()) {
                continue;
            }
            while (!p->scheduled.empty() && p->scheduled.front().at <= now) {
                auto& bytes = p->scheduled.front().bytes;
                p->out.insert(p->out.end(), bytes.begin(), bytes.end());
                p->scheduled.pop_front();
            }
            FlushReplies(*p);
            if (p->parser.Busy() && now - p->lastByte >= kFrameGap) {
                p->parser.Reset();
            }
            if (!p->scheduled.empty()) {
                next = std::min(next, p->scheduled.front().at);
            }
            if (p->parser.Busy()) {
                next = std::min(next, p->lastByte + kFrameGap);
            }
        }
        int timeout = -1;
        if (next != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
            timeout = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
        }

        fds.clear();
        polled.clear();
        fds.push_back(pollfd{m_wake[0], POLLIN, 0});
        fds.push_back(pollfd{m_inotify, POLLIN, 0});  // a negative fd is ignored by poll
        for (auto& p : m_ports) {
            if (p->Live()) {
                const short events = POLLIN | (p->out.empty() ? 0 : POLLOUT);
                fds.push_back(pollfd{p->master, events, 0});
                polled.push_back(p.get());
            }
        }
        const int r = ::poll(fds.data(), fds.size(), timeout);
        if (r < 0) {
            if (errno == EINTR) {
                continue;
            }
            m_error = Errno("poll");
            return 1;
        }
        if (fds[0].revents != 0) {
            char drain[64];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
            if (m_stop) {
                return 0;
            }
            if (m_toggle.exchange(false)) {
                Toggle();
            }
            if (m_inputToggle.exchange(false)) {
                ToggleInput();
            }
            continue;
        }
        // A client's close is queued before anything it writes after reopening, so handle
        // closes first: the new client's request must not be dropped with the old state.
        if (fds[1].revents & POLLIN) {
            HandleInotify();
        }
        for (size_t i = 0; i < polled.size(); ++i) {
            Port& p = *polled[i];
            const short ev = fds[i + 2].revents;
            if (ev & POLLIN) {
                ReadRequests(p);
            }
            if (p.Live() && (ev & POLLOUT)) {
                FlushReplies(p);
            }
            if (p.Live() && (ev & (POLLERR | POLLHUP | POLLNVAL)) && !(ev & POLLIN)) {
                Unplug(p);
            }
        }
    }
}

}  // namespace vexilo
