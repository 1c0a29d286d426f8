#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/converter_kind.h"

namespace vexilo {

// A simulated converter is of one of the panel's kinds.
using SimKind = Kind;

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

// Writes `value` little-endian, as every multi-byte field of the firmware is.
inline void PutSimLe16(std::uint8_t* out, std::uint16_t value) {
    out[0] = static_cast<std::uint8_t>(value & 0xFF);
    out[1] = static_cast<std::uint8_t>(value >> 8);
}

// Text of a kind for VEXILO_PORTS and labels: "dvi", "rgb", "ntsc", "other".
const char* SimKindName(SimKind kind);
bool ParseSimKind(const std::string& text, SimKind* kind);

}  // namespace vexilo
