#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "serial/pelk_comm.h"

namespace vexilo {

// A port that first records what passes through it (on whatever thread talks to the converter),
// then replays that record to the next caller that repeats the same exchange, and afterwards
// passes everything through. Start-up uses it to read converters on worker threads while the
// pages, built later on the user-interface thread, run their own start-up unchanged: a page that
// asks exactly what was asked gets the recorded replies without the wire seeing it twice; the
// first call that differs goes to the port, and so does everything after it.
class TranscriptComm : public IPelkComm {
public:
    explicit TranscriptComm(std::unique_ptr<IPelkComm> port) : m_port(std::move(port)) {}

    // Ends recording: the calls from now on are matched against the record.
    void StartReplay();
    // True while recorded calls are still waiting to be replayed.
    bool Replaying() const { return m_mode == Mode::kReplay; }
    // Calls recorded so far (for tests).
    std::size_t RecordedCalls() const { return m_record.size(); }

    bool IsOpen() const override { return m_port->IsOpen(); }
    bool Open(const std::string& path) override;
    PortOpenFailure OpenFailure() const override { return m_port->OpenFailure(); }
    void Write(const std::uint8_t* buffer, int count) override;
    int Read(std::uint8_t* buffer, int count) override;
    void Purge() override;

private:
    enum class Mode { kRecord, kReplay, kPassThrough };
    enum class Call { kWrite, kRead, kPurge };
    struct Entry {
        Call call = Call::kPurge;
        int count = 0;                    // bytes asked to write or read
        std::vector<std::uint8_t> bytes;  // written, or read (what arrived)
    };

    // Frees the record once it has been replayed or given up.
    void Release();
    // The next recorded call when it is `call` with `count`; otherwise recording is over for good.
    const Entry* Next(Call call, int count);

    std::unique_ptr<IPelkComm> m_port;
    Mode m_mode = Mode::kRecord;
    std::vector<Entry> m_record;
    std::size_t m_next = 0;
};

}  // namespace vexilo
