#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sim/sim_converter.h"

namespace vexilo {

// Serves simulated converters on pseudo-terminals, one converter per terminal, from one poll()
// loop. Both ends are raw (ETX 0x03 is also the interrupt character). The server keeps the
// terminal alive while no client has it open, so a client may open, close and reopen the path.
class CSimPtyServer {
public:
    CSimPtyServer();
    ~CSimPtyServer();
    CSimPtyServer(const CSimPtyServer&) = delete;
    CSimPtyServer& operator=(const CSimPtyServer&) = delete;

    // False when the server could not set itself up (see Error()).
    bool Ok() const;
    const std::string& Error() const { return m_error; }

    // Opens a pseudo-terminal serving `model`; returns the path a client opens, or an empty
    // text with Error() set. Call before Run().
    std::string AddConverter(std::shared_ptr<CSimConverter> model);

    // Serves until Stop(); returns 0, or 1 when waiting failed (Error() says why).
    int Run();
    // Makes Run() return soon. Safe from another thread and from a signal handler.
    void Stop() noexcept;

private:
    struct Port;
    void ReadRequests(Port& port);
    void FlushReplies(Port& port);
    void ClientClosed(Port& port);
    void HandleInotify();
    void Unplug(Port& port);

    std::vector<std::unique_ptr<Port>> m_ports;
    int m_wake[2] = {-1, -1};
    int m_inotify = -1;
    std::string m_error;
};

}  // namespace vexilo
