#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "ember/ber.h"

// A TCP listener for Ember+ consumers, driven by its owner's loop: Wait() blocks in one poll()
// until network activity, an extra handle or the deadline, and handles what arrived.
namespace vexilo::ember {

struct ServerLimits {
    std::size_t maxConsumers = 8;          // further connections are closed at once
    std::size_t maxFrame = 4096;           // bytes of one S101 frame, unescaped
    std::size_t maxMessage = 64 * 1024;    // bytes of one Glow message (packets joined)
    std::size_t maxPending = 1024 * 1024;  // unsent bytes before a consumer that does not
                                           // read is dropped
};

// A handle the owner also waits for (a file descriptor on POSIX).
struct ExtraWait {
    std::intptr_t handle = -1;
    bool ready = false;
};

class Server {
public:
    // A message from a consumer; false drops the consumer.
    using OnMessage = std::function<bool(int consumer, std::span<const std::uint8_t> glow)>;
    using OnEvent = std::function<void(int consumer)>;
    using Log = std::function<void(const std::string&)>;

    Server(ServerLimits limits, OnMessage onMessage, OnEvent onClosed, Log log);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Listens on `address` (IPv4 or IPv6 literal) and `port` (0: any free one). False with
    // `error` set when it cannot.
    bool Listen(const std::string& address, std::uint16_t port, std::string& error);
    std::uint16_t Port() const;

    // Queues a Glow message for `consumer` (framed here); nothing when it is gone.
    void Send(int consumer, std::span<const std::uint8_t> glow);
    // Waits until something happens or `deadline`, and handles it.
    void Wait(std::chrono::steady_clock::time_point deadline, std::span<ExtraWait> extra = {});
    std::size_t Consumers() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace vexilo::ember
