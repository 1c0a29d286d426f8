#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
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
    // Serves `model` on the pseudo-terminal whose master side `master` is (taken over), for a
    // terminal made elsewhere, such as a device node of a umockdev test bed. Call before Run().
    std::string AddConverterOnTerminal(std::shared_ptr<CSimConverter> model, int master);

    // Serves until Stop(); returns 0, or 1 when waiting failed (Error() says why).
    int Run();
    // Makes Run() return soon. Safe from another thread and from a signal handler.
    void Stop() noexcept;

    // Unplugging and replugging, to show hotplug without hardware. Each toggle unplugs the chosen
    // converters that are plugged in (their terminal goes away) and replugs, on a new terminal,
    // those that are not; a replugged converter keeps its settings and stored values.
    // `port` chooses one converter by position, -1 all of them. `everyMs` > 0 toggles on a
    // schedule, first after `everyMs`. Call before Run().
    void SetHotplug(int port, int everyMs);
    // Toggles soon, from Run(). Safe from another thread and from a signal handler.
    void RequestToggle() noexcept;
    // Takes the input signal away from every converter, or gives back the format it had, soon,
    // from Run(): the status block follows. Safe from another thread and from a signal handler.
    void RequestInputToggle() noexcept;
    // Told, from Run(), the new path of converter `index` after a toggle: empty when unplugged.
    std::function<void(std::size_t index, const std::string& path)> m_onPathChanged;
    // Told, from Run(), each well-formed request converter `index` received: its command byte.
    std::function<void(std::size_t index, std::uint8_t command)> m_onRequest;

private:
    struct Port;
    std::size_t IndexOf(const Port& port) const;
    void ReadRequests(Port& port);
    void FlushReplies(Port& port);
    void ClientClosed(Port& port);
    void HandleInotify();
    void Unplug(Port& port);
    bool OpenTerminal(Port& port, int master);
    void Toggle();
    void ToggleInput();

    std::vector<std::unique_ptr<Port>> m_ports;
    int m_wake[2] = {-1, -1};
    int m_inotify = -1;
    std::string m_error;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_toggle{false};
    std::atomic<bool> m_inputToggle{false};
    int m_hotplugPort = -1;
    int m_hotplugEveryMs = 0;
};

}  // namespace vexilo
