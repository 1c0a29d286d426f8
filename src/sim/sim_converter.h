#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/sim_faults.h"
#include "sim/sim_firmware.h"

namespace vexilo {

// One request as received: command and data.
struct SimRequest {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const SimRequest&) const = default;
};

// Firmware model of one converter: settings, adjustment tables, ID storage and status, as the
// panel expects a converter to keep them. Thread-safe: a transport may serve it from one thread
// while a test scripts it from another.
class CSimConverter {
public:
    explicit CSimConverter(SimConfig config = SimConfig{});
    CSimConverter(const CSimConverter&) = delete;
    CSimConverter& operator=(const CSimConverter&) = delete;

    const SimConfig& Config() const { return m_config; }

    // Answers one well-formed request (logged), applying armed faults.
    SimResponse Handle(std::uint8_t command, const std::uint8_t* data, int length);
    // Answers a request frame whose ETX or check byte was wrong (not logged).
    SimResponse HandleBadFrame();

    // Every well-formed request received, in order.
    std::vector<SimRequest> Log() const;
    std::vector<std::uint8_t> LoggedCommands() const;
    void ClearLog();
    int BadFrameCount() const;

    // Faults.
    void AddFault(const SimFaultSpec& fault);
    void ClearFaults();

    // General settings.
    SimGeneral Current() const;
    SimGeneral Stored() const;
    void SetCurrent(const SimGeneral& general);
    void SetStored(const SimGeneral& general);

    // Adjustment tables per input format code (current and stored values).
    int AdjustmentCount() const;
    std::vector<std::uint16_t> Adjustments(std::uint8_t format) const;
    std::vector<std::uint16_t> StoredAdjustments(std::uint8_t format) const;
    void SetAdjustment(std::uint8_t format, int index, std::uint16_t value);
    // The format whose table 0x07/0x08/0x09 0x01 address: the current input, else the last one
    // seen, else kSimNoInput (a table of its own until a format shows up).
    std::uint8_t ActiveFormat() const;

    // Input format reported by 0x0F. Setting it also sets the signal fields of the status.
    std::uint8_t InputFormat() const;
    void SetInputFormat(std::uint8_t code);
    // Formats taken one per 0x0F query before it is answered; the last one then stays.
    void QueueInputFormats(const std::vector<std::uint8_t>& codes);

    SimStatus Status() const;
    void SetStatus(const SimStatus& status);

    std::array<std::uint8_t, kSimIdStorageSize> IdStorage() const;
    void SetIdStorage(const std::array<std::uint8_t, kSimIdStorageSize>& block);

    // Power cycle: unsaved general settings and adjustments are lost.
    void PowerCycle();

    // Unplug: the port fails until Replug().
    void Unplug();
    void Replug();
    bool IsUnplugged() const;

    // Opening the port (exclusive unless configured otherwise). TryOpen hands out a ticket
    // (0 = refused) that ReleaseOpen takes back; tickets from before an unplug are void.
    std::uint64_t TryOpen();
    void ReleaseOpen(std::uint64_t ticket);
    int OpenCount() const;

    // Virtual clock of the in-process transport, in ms since construction.
    std::int64_t NowMs() const;
    void AdvanceToMs(std::int64_t ms);

private:
    struct Table {
        std::vector<std::uint16_t> current;
        std::vector<std::uint16_t> stored;
    };
    struct ArmedFault {
        SimFaultSpec spec;
        int skipLeft;
        int countLeft;
    };

    SimReply Execute(std::uint8_t command, const std::uint8_t* data, int length);
    SimReply ExecuteVersion(const std::uint8_t* data, int length) const;
    SimReply ExecuteGet(const std::uint8_t* data, int length);
    SimReply ExecuteSet(const std::uint8_t* data, int length);
    SimReply ExecuteCommit(const std::uint8_t* data, int length);
    SimReply ExecuteInputFormat(int length);
    SimReply ExecuteIdRead(const std::uint8_t* data, int length) const;
    SimReply ExecuteIdWrite(const std::uint8_t* data, int length);
    SimReply ExecuteCable(std::uint8_t command, const std::uint8_t* data, int length);

    Table& TableOf(std::uint8_t format);
    std::uint8_t ActiveFormatLocked() const;
    void ChangeInputFormat(std::uint8_t code);
    std::vector<SimFaultSpec> TakeFaults(std::uint8_t command);

    const SimConfig m_config;
    mutable std::mutex m_mutex;
    std::vector<SimRequest> m_log;
    int m_badFrames = 0;
    std::vector<ArmedFault> m_faults;
    SimGeneral m_current;
    SimGeneral m_stored;
    std::map<std::uint8_t, Table> m_tables;
    std::uint8_t m_inputFormat;
    std::uint8_t m_lastFormat = kSimNoInput;
    std::deque<std::uint8_t> m_formatQueue;
    SimStatus m_status;
    std::array<std::uint8_t, kSimIdStorageSize> m_idStorage;
    bool m_unplugged = false;
    int m_openCount = 0;
    std::uint64_t m_plugCycle = 1;
    std::int64_t m_nowMs = 0;
};

}  // namespace vexilo
