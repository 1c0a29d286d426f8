// The consumer side of bench/ember_set_latency.sh: sets a parameter COUNT times over Ember+,
// alternating two values and waiting for each answer, and prints each set's send time (the
// monotonic clock, microseconds, as the frame trace writes it).
//
// Usage: bench_ember_set_consumer PORT PATH COUNT     PATH as numbers, e.g. 1.1.3.1
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

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PORT PATH COUNT\n", argv[0]);
        return 2;
    }
    const int port = std::stoi(argv[1]);
    Path path;
    std::stringstream parts(argv[2]);
    for (std::string n; std::getline(parts, n, '.');) {
        path.push_back(static_cast<std::uint32_t>(std::stoul(n)));
    }
    const int count = std::stoi(argv[3]);

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(static_cast<std::uint16_t>(port));
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
        std::perror("connect");
        return 1;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
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
        const Bytes one_[] = {param};
        const Bytes wire = EncodeEmberMessage(EncodeRoot(one_));
        const auto sent = std::chrono::steady_clock::now();
        if (::send(fd, wire.data(), wire.size(), 0) != static_cast<ssize_t>(wire.size())) {
            std::perror("send");
            return 1;
        }
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
