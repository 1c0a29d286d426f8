#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "ember/s101.h"
#include "ember/server.h"

namespace vexilo::ember {

namespace {

struct Consumer {
    int id = 0;
    int fd = -1;
    std::string peer;
    S101Decoder decoder;
    Bytes pending;
    bool drop = false;
};

std::string PeerName(const sockaddr_storage& sa) {
    char host[INET6_ADDRSTRLEN] = "?";
    unsigned port = 0;
    if (sa.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&sa);
        ::inet_ntop(AF_INET, &in->sin_addr, host, sizeof host);
        port = ntohs(in->sin_port);
        return std::string(host) + ":" + std::to_string(port);
    }
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&sa);
    ::inet_ntop(AF_INET6, &in6->sin6_addr, host, sizeof host);
    port = ntohs(in6->sin6_port);
    return "[" + std::string(host) + "]:" + std::to_string(port);
}

}  // namespace

struct Server::Impl {
    ServerLimits limits;
    OnMessage onMessage;
    OnEvent onClosed;
    Log log;
    int listenFd = -1;
    int nextId = 1;
    std::vector<std::unique_ptr<Consumer>> consumers;

    Consumer* Find(int id) {
        for (auto& c : consumers) {
            if (c->id == id && !c->drop) {
                return c.get();
            }
        }
        return nullptr;
    }

    void Drop(Consumer& c, const std::string& why) {
        if (!c.drop && log) {
            log("consumer " + c.peer + " dropped: " + why);
        }
        c.drop = true;
    }

    void Queue(Consumer& c, const Bytes& bytes) {
        c.pending.insert(c.pending.end(), bytes.begin(), bytes.end());
        if (c.pending.size() > limits.maxPending) {
            Drop(c, "it does not read what is sent");
        }
    }

    void Accept() {
        sockaddr_storage sa{};
        socklen_t len = sizeof sa;
        const int fd = ::accept4(listenFd, reinterpret_cast<sockaddr*>(&sa), &len,
                                 SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            return;
        }
        const std::string peer = PeerName(sa);
        if (consumers.size() >= limits.maxConsumers) {
            if (log) {
                log("consumer " + peer + " refused: already " +
                    std::to_string(limits.maxConsumers) + " consumers");
            }
            ::close(fd);
            return;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        auto c = std::make_unique<Consumer>();
        c->id = nextId++;
        c->fd = fd;
        c->peer = peer;
        c->decoder = S101Decoder(limits.maxFrame, limits.maxMessage);
        if (log) {
            log("consumer " + peer + " connected");
        }
        consumers.push_back(std::move(c));
    }

    void Read(Consumer& c) {
        std::uint8_t buffer[4096];
        const ssize_t n = ::recv(c.fd, buffer, sizeof buffer, 0);
        if (n == 0) {
            Drop(c, "it closed the connection");
            return;
        }
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                Drop(c, std::strerror(errno));
            }
            return;
        }
        std::vector<S101Event> events;
        if (!c.decoder.Feed({buffer, static_cast<std::size_t>(n)}, events)) {
            Drop(c, c.decoder.Error());
            return;
        }
        for (S101Event& e : events) {
            if (c.drop) {
                return;
            }
            if (e.kind == S101Event::kKeepAliveRequest) {
                Queue(c, KeepAliveResponse());
            } else if (e.kind == S101Event::kMessage && !onMessage(c.id, e.glow)) {
                Drop(c, "a message that is not Glow");
            }
        }
    }

    void Write(Consumer& c) {
        while (!c.pending.empty()) {
            const ssize_t n = ::send(c.fd, c.pending.data(), c.pending.size(), MSG_NOSIGNAL);
            if (n < 0) {
                if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                    Drop(c, std::strerror(errno));
                }
                return;
            }
            c.pending.erase(c.pending.begin(), c.pending.begin() + n);
        }
    }

    void Reap() {
        for (auto it = consumers.begin(); it != consumers.end();) {
            if ((*it)->drop) {
                const int id = (*it)->id;
                ::close((*it)->fd);
                it = consumers.erase(it);
                if (onClosed) {
                    onClosed(id);
                }
            } else {
                ++it;
            }
        }
    }
};

Server::Server(ServerLimits limits, OnMessage onMessage, OnEvent onClosed, Log log)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->limits = limits;
    m_impl->onMessage = std::move(onMessage);
    m_impl->onClosed = std::move(onClosed);
    m_impl->log = std::move(log);
}

Server::~Server() {
    for (auto& c : m_impl->consumers) {
        ::close(c->fd);
    }
    if (m_impl->listenFd >= 0) {
        ::close(m_impl->listenFd);
    }
}

bool Server::Listen(const std::string& address, std::uint16_t port, std::string& error) {
    sockaddr_storage sa{};
    socklen_t len = 0;
    auto* in = reinterpret_cast<sockaddr_in*>(&sa);
    auto* in6 = reinterpret_cast<sockaddr_in6*>(&sa);
    if (::inet_pton(AF_INET, address.c_str(), &in->sin_addr) == 1) {
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        len = sizeof *in;
    } else if (::inet_pton(AF_INET6, address.c_str(), &in6->sin6_addr) == 1) {
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(port);
        len = sizeof *in6;
    } else {
        error = "'" + address + "' is not an IPv4 or IPv6 address";
        return false;
    }
    const int fd = ::socket(sa.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&sa), len) != 0 || ::listen(fd, 8) != 0) {
        error = "cannot listen on " + address + " port " + std::to_string(port) + ": " +
                std::strerror(errno);
        ::close(fd);
        return false;
    }
    m_impl->listenFd = fd;
    return true;
}

std::uint16_t Server::Port() const {
    sockaddr_storage sa{};
    socklen_t len = sizeof sa;
    if (m_impl->listenFd < 0 ||
        ::getsockname(m_impl->listenFd, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        return 0;
    }
    return sa.ss_family == AF_INET ? ntohs(reinterpret_cast<sockaddr_in*>(&sa)->sin_port)
                                   : ntohs(reinterpret_cast<sockaddr_in6*>(&sa)->sin6_port);
}

void Server::Send(int consumer, std::span<const std::uint8_t> glow) {
    if (Consumer* c = m_impl->Find(consumer)) {
        m_impl->Queue(*c, EncodeEmberMessage(glow));
        m_impl->Write(*c);
    }
}

std::size_t Server::Consumers() const {
    return m_impl->consumers.size();
}

void Server::Wait(std::chrono::steady_clock::time_point deadline, std::span<ExtraWait> extra) {
    Impl& s = *m_impl;
    std::vector<pollfd> fds;
    fds.push_back({s.listenFd, POLLIN, 0});
    for (const auto& c : s.consumers) {
        fds.push_back({c->fd, static_cast<short>(POLLIN | (c->pending.empty() ? 0 : POLLOUT)), 0});
    }
    for (const ExtraWait& e : extra) {
        fds.push_back({static_cast<int>(e.handle), POLLIN, 0});
    }
    const auto now = std::chrono::steady_clock::now();
    const auto ms =
        deadline <= now ? 0 : std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    const int timeout = static_cast<int>(std::min<long long>(ms, 60'000));
    if (::poll(fds.data(), fds.size(), timeout) <= 0) {
        return;
    }
    const std::size_t count = s.consumers.size();
    for (std::size_t i = 0; i < count; ++i) {
        Consumer& c = *s.consumers[i];
        const short re = fds[i + 1].revents;
        if ((re & (POLLIN | POLLHUP | POLLERR)) != 0) {
            s.Read(c);
        }
        if (!c.drop && (re & POLLOUT) != 0) {
            s.Write(c);
        }
    }
    for (std::size_t i = 0; i < extra.size(); ++i) {
        extra[i].ready = (fds[1 + count + i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    }
    s.Reap();
    if (s.listenFd >= 0 && (fds[0].revents & POLLIN) != 0) {
        s.Accept();
    }
}

}  // namespace vexilo::ember
