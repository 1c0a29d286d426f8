// The consumer of the Ember+ benchmarks.
//   set PORT PATH COUNT: sets a parameter COUNT times, alternating 0 and 1 and waiting for each
//     answer, and prints each set's send time (the monotonic clock in microseconds, as the frame
//     trace writes it). PATH as numbers, e.g. 1.1.3.1 (bench/ember_set_latency.sh).
//   watch PORT CONVERTERS SECONDS: asks for the directory of every node of CONVERTERS converters,
//     so that everything is pushed to it, then reads for SECONDS and prints how many messages
//     arrived (bench/ember_soak.sh).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>

#include "ember/glow.h"
#include "ember/s101.h"

using namespace vexilo::ember;

namespace {

int Connect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        std::perror("connect");
        return -1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

void SendGlow(int fd, const Bytes& element) {
    const Bytes one[] = {element};
    const Bytes wire = EncodeEmberMessage(EncodeRoot(one));
    if (::send(fd, wire.data(), wire.size(), 0) != static_cast<ssize_t>(wire.size())) {
        std::perror("send");
    }
}

int Watch(int fd, int converters, int seconds) {
    std::vector<Path> nodes = {{1}};
    for (int i = 1; i <= converters; ++i) {
        const auto c = static_cast<std::uint32_t>(i);
        nodes.insert(nodes.end(), {{1, c}, {1, c, 1}, {1, c, 2}, {1, c, 3}});
    }
    for (const Path& path : nodes) {
        Bytes cmd;
        AppendContextInteger(cmd, 0, 32);
        Bytes command;
        AppendTlv(command, Application(2), cmd);
        Bytes item;
        AppendTlv(item, Context(0), command);
        Bytes children;
        AppendTlv(children, Application(4), item);
        Bytes seq;
        AppendContextRelativeOid(seq, 0, path);
        AppendTlv(seq, Context(2), children);
        Bytes node;
        AppendTlv(node, Application(10), seq);
        SendGlow(fd, node);
    }
    S101Decoder decoder;
    long messages = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (auto now = std::chrono::steady_clock::now(); now < end;
         now = std::chrono::steady_clock::now()) {
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now);
        if (::poll(&p, 1, static_cast<int>(left.count()) + 1) <= 0) {
            continue;
        }
        std::uint8_t buffer[65536];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            std::fprintf(stderr, "connection closed\n");
            return 1;
        }
        std::vector<S101Event> events;
        decoder.Feed({buffer, static_cast<std::size_t>(n)}, events);
        messages += static_cast<long>(events.size());
    }
    std::printf("messages %ld\n", messages);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc != 5 || (mode != "set" && mode != "watch")) {
        std::fprintf(stderr, "usage: %s set PORT PATH COUNT | watch PORT CONVERTERS SECONDS\n",
                     argv[0]);
        return 2;
    }
    const int fd = Connect(std::stoi(argv[2]));
    if (fd < 0) {
        return 1;
    }
    if (mode == "watch") {
        return Watch(fd, std::stoi(argv[3]), std::stoi(argv[4]));
    }
    Path path;
    std::stringstream parts(argv[3]);
    for (std::string n; std::getline(parts, n, '.');) {
        path.push_back(static_cast<std::uint32_t>(std::stoul(n)));
    }
    const int count = std::stoi(argv[4]);
    S101Decoder decoder;
    for (int i = 0; i < count; ++i) {
        Bytes set;
        AppendContextInteger(set, 2, i % 2);
        Bytes setTlv;
        AppendTlv(setTlv, Universal(kSet, true), set);
        Bytes seq;
        AppendContextRelativeOid(seq, 0, path);
        AppendTlv(seq, Context(1), setTlv);
        Bytes param;
        AppendTlv(param, Application(9), seq);
        const auto sent = std::chrono::steady_clock::now();
        SendGlow(fd, param);
        // The answer: the parameter with the value it holds.
        bool answered = false;
        while (!answered) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) {
                std::fprintf(stderr, "no answer to set %d\n", i);
                return 1;
            }
            std::uint8_t buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                std::fprintf(stderr, "connection closed\n");
                return 1;
            }
            std::vector<S101Event> events;
            decoder.Feed({buffer, static_cast<std::size_t>(n)}, events);
            for (const S101Event& e : events) {
                const auto requests = DecodeRequests(e.glow);
                if (!requests) {
                    continue;
                }
                for (const Request& r : *requests) {
                    if (r.path == path) {
                        answered = true;
                        if (r.value != Value(std::int64_t{i % 2})) {
                            std::fprintf(stderr, "set %d answered another value\n", i);
                            return 1;
                        }
                    }
                }
            }
        }
        std::printf("%lld\n",
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                               sent.time_since_epoch())
                                               .count()));
    }
    ::close(fd);
    return 0;
}
