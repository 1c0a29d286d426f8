#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "discovery/port.h"
#include "serial/pelk_comm.h"
#include "serial/pelk_rs232.h"
#include "sim/sim_converter.h"
#include "sim/sim_frame_parser.h"

namespace vexilo {

// An in-process serial link to a simulated converter, on the converter's virtual clock: a write
// hands the request to the model at once, and a read returns at once with what the model has
// sent, advancing the clock as a real read would have waited (up to its time-out, 3000 + 10 ms
// per byte by default). Silent converters therefore cost no real time.
class CSimComm final : public IPelkComm {
public:
    explicit CSimComm(std::shared_ptr<CSimConverter> model,
                      SerialTimeouts timeouts = SerialTimeouts::Standard());
    ~CSimComm() override;
    CSimComm(const CSimComm&) = delete;
    CSimComm& operator=(const CSimComm&) = delete;

    // False once the converter is unplugged.
    bool IsOpen() const override;
    // Reopens the link (it has no path); fails while unplugged or while another link holds the
    // converter.
    bool Open(const std::string& path) override;
    // Gone while unplugged, Busy while another link holds the converter.
    PortOpenFailure OpenFailure() const override;
    void Write(const std::uint8_t* buffer, int count) override;
    int Read(std::uint8_t* buffer, int count) override;
    // Drops what has arrived; bytes still on their way (a delayed reply) arrive later.
    void Purge() override;

    CSimConverter& Model() { return *m_model; }

private:
    struct InFlight {
        std::uint8_t byte;
        std::int64_t arrivalMs;
    };

    void Close();
    void Deliver(const SimResponse& response);

    std::shared_ptr<CSimConverter> m_model;
    SerialTimeouts m_timeouts;
    std::uint64_t m_ticket = 0;
    CSimFrameParser m_parser;
    std::deque<InFlight> m_incoming;
};

// An in-process port labelled `label` to `model`, of the model's kind. Each open of the port
// makes a CSimComm on the shared model, so the caller can keep scripting the converter while the
// panel uses it; the port keeps the model alive.
Port SimPort(std::shared_ptr<CSimConverter> model, const std::string& label,
             SerialTimeouts timeouts = SerialTimeouts::Standard());

}  // namespace vexilo
