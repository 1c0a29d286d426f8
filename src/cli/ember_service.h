#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "ember/glow.h"

// vexiloctl serve --ember: every attached converter as a node of an Ember+ tree, served to
// consumers over TCP. Each action of a consumer is the operation the matching vexiloctl command
// performs (set, save, revert, factory), with its checks and refusals.
namespace vexilo::cli {

struct ServeOptions {
    std::string address = "127.0.0.1";  // loopback unless told otherwise: Ember+ has no login
    std::uint16_t port = 9000;
    bool readOnly = false;  // identity and status only
    std::chrono::milliseconds statusEvery{2000};
    std::size_t maxConsumers = 8;
};

// "[ADDR:]PORT": "9000", "0.0.0.0:9000", "[::1]:9000". False with `error` set on a mistake.
bool ParseListenAddress(const std::string& text, std::string& address, std::uint16_t& port,
                        std::string& error);

// The identifier of a converter's node: its port label with every character other than letters,
// digits, '-' and '_' replaced by '_'.
std::string NodeIdentifier(const std::string& label);

class EmberService {
public:
    // Messages (consumers, converters that come, go or fail) go to `log`, one line each.
    EmberService(ServeOptions options, std::ostream& log);
    ~EmberService();
    EmberService(const EmberService&) = delete;
    EmberService& operator=(const EmberService&) = delete;

    // Listens and takes the converters present. False with `error` set when it cannot listen.
    bool Start(std::string& error);
    std::uint16_t Port() const;
    // Serves until `stop` is set.
    void Run(const std::atomic<bool>& stop);
    // Handles what arrives until `deadline` or the next status round, whichever is first.
    void Step(std::chrono::steady_clock::time_point deadline);
    // Lists the converters again now, as a hotplug notification does.
    void Rescan();

    const ember::Tree& Tree() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace vexilo::cli
