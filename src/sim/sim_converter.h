#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vexilo {

// Simulated converter kinds; the numbers are those of the device kinds of discovery.
enum class SimKind : int { Other = 0, Dvi = 1, Rgb = 2, Ntsc = 3 };

// Firmware the simulated converter runs.
enum class SimFirmware {
    Main,    // main firmware, current version
    Boot,    // boot firmware: both version texts equal, only 0x00 and 0x01 answered
    Update,  // boot-update firmware: running text contains "u", only 0x00 and 0x01 answered
    Old,     // main firmware 1.05: no revert, no cable detect, no ID function
};

// Error codes of the simulated firmware (sent as error replies, command 0xFF).
enum : std::uint8_t {
    kSimErrUnsupported = 0x0A,  // command not known to this firmware
    kSimErrSubFunction = 0x0B,  // selector or sub-command not known
    kSimErrRange = 0x0C,        // value out of range
    kSimErrLength = 0x0D,       // request data of the wrong length
    kSimErrFrame = 0x0E,        // request frame with a wrong ETX or check byte, or too long
};

inline constexpr int kSimIdStorageSize = 1024;
inline constexpr int kSimIdWriteSize = 1020;
inline constexpr std::uint8_t kSimNoInput = 0xFF;
inline constexpr int kSimRgbAdjustments = 13;
inline constexpr int kSimNtscAdjustments = 4;

// What the firmware is; fixed for a converter's life.
struct SimConfig {
    SimKind kind = SimKind::Rgb;
    std::uint8_t seriesCode = 1;                        // 0 = "KTQ-" series, other = "KTP-" series
    std::string runningVersion = "3.10";                // version selector 0
    std::string secondVersion = "1.00";                 // version selector 1
    std::uint8_t boardRevision = 2;                     // version selector 2
    std::uint16_t fpgaVersion = 0x00B4;                 // version selector 3
    bool mainFirmware = true;                           // false: only 0x00 and 0x01 are answered
    bool cableDetect = false;                           // 0x14 / 0x15 known (DVI converters)
    std::uint8_t unsupportedCode = kSimErrUnsupported;  // answer to 0x14 / 0x15 without it
    bool idFunction = true;                             // 0x05, 0x11 and 0x12 known
    bool revert = true;                                 // 0x09 0x00 mode known
    std::uint8_t initialInputFormat = 3;                // code reported by 0x0F after power-on
    bool exclusiveOpen = true;  // a second open of the port fails, as on Windows

    // The usual firmware of `kind`, running `firmware`.
    static SimConfig For(SimKind kind, SimFirmware firmware = SimFirmware::Main);
};

// General settings: the output settings block and the cable-detect setting.
struct SimGeneral {
    std::uint8_t outputFormat = 1;  // 0 = 1080 59.94i, 1 = 1080 59.94p
    std::uint8_t sdiLevel = 0;      // 0 = Level-A, 1 = Level-B
    std::uint8_t scaler = 0;  // 0 = always scale, 1 = not when synchronisable, 2 = firmware's own
    std::uint8_t cableDetect = 1;  // 1 = +5V cable detection on
    bool operator==(const SimGeneral&) const = default;
};

// Status block of command 0x03.
struct SimStatus {
    std::uint16_t width = 0xFFFF;
    std::uint16_t height = 0xFFFF;
    std::int16_t fpgaTemp = 453;       // 0.1 degC
    std::int16_t mcuTemp = 381;        // 0.1 degC
    std::uint16_t voltage = 50;        // 0.1 V
    std::uint16_t frameRate = 0xFFFF;  // frames per second times 100
    std::uint8_t scanning = 0;         // 1 interlaced, 2 progressive
    std::array<std::uint8_t, 13> Encode() const;
};

// One input signal format as the firmware knows it.
struct SimFormatInfo {
    std::uint8_t code;
    std::uint16_t width;
    std::uint16_t height;
    std::uint16_t frameRate;  // times 100
    std::uint8_t scanning;    // 1 interlaced, 2 progressive
    std::uint16_t lineTotal;  // sampling clocks per line: RGB adjustment index 2
};

// The format table of the firmware (codes 0 to 15), or nullptr for an unknown code.
const SimFormatInfo* FindSimFormat(std::uint8_t code);
// Factory phase (RGB index 12) for a format code; 16 beyond the table.
std::uint16_t SimPhaseDefault(std::uint8_t code);
// Factory adjustment table of `kind` for format `code` (empty for kinds without one).
std::vector<std::uint16_t> SimFactoryAdjustments(SimKind kind, std::uint8_t code);
// Highest value the firmware accepts for adjustment `index` of `kind`.
std::uint16_t SimAdjustmentMax(SimKind kind, int index);

// One request as received: command and data.
struct SimRequest {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> data;
    bool operator==(const SimRequest&) const = default;
};

enum class SimFaultKind {
    Silence,      // no reply at all
    Delay,        // reply after `value` ms (virtual in-process, real on a pseudo-terminal)
    Garbage,      // `value` bytes (default 5) of noise before the STX
    WrongEtx,     // ETX replaced; the check byte matches the altered frame
    WrongCheck,   // check byte wrong
    ShortReply,   // the last `value` bytes (default 1) of the frame are not sent
    Oversized,    // length field announces `value` bytes (default 4161)
    ErrorCode,    // error reply with code `value` (0 is an acknowledgement); not executed
    WrongLength,  // reply data `value` bytes longer (or shorter when negative)
    Unplug,       // no reply, and the port fails from then on
};

inline constexpr int kSimAnyCommand = -1;
inline constexpr int kSimForever = -1;

// A fault armed on a converter. It applies to requests with `command` (or any), after letting
// `skip` of them through, for `count` of them (kSimForever: always).
struct SimFaultSpec {
    SimFaultKind kind = SimFaultKind::Silence;
    int value = 0;
    int command = kSimAnyCommand;
    int count = 1;
    int skip = 0;
};

// What a transport sends back for one request.
struct SimResponse {
    std::vector<std::uint8_t> bytes;  // empty: nothing is sent
    int delayMs = 0;                  // wait before the first byte
    bool unplug = false;              // the port is gone from now on
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
    struct Reply {
        bool error = false;
        std::uint8_t code = 0;
        std::vector<std::uint8_t> data;
    };

    Reply Execute(std::uint8_t command, const std::uint8_t* data, int length);
    Reply ExecuteVersion(const std::uint8_t* data, int length) const;
    Reply ExecuteGet(const std::uint8_t* data, int length);
    Reply ExecuteSet(const std::uint8_t* data, int length);
    Reply ExecuteCommit(const std::uint8_t* data, int length);
    Reply ExecuteInputFormat(int length);
    Reply ExecuteIdRead(const std::uint8_t* data, int length) const;
    Reply ExecuteIdWrite(const std::uint8_t* data, int length);
    Reply ExecuteCable(std::uint8_t command, const std::uint8_t* data, int length);

    Table& TableOf(std::uint8_t format);
    std::uint8_t ActiveFormatLocked() const;
    void ChangeInputFormat(std::uint8_t code);
    std::vector<SimFaultSpec> TakeFaults(std::uint8_t command);
    SimResponse Encode(std::uint8_t command, const Reply& reply,
                       const std::vector<SimFaultSpec>& faults) const;

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

// Text of a kind for VEXILO_PORTS and labels: "dvi", "rgb", "ntsc", "other".
const char* SimKindName(SimKind kind);
bool ParseSimKind(const std::string& text, SimKind* kind);

}  // namespace vexilo
