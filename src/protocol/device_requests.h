#pragma once

#include <cstdint>

#include "protocol/commands.h"
#include "protocol/dev_channel.h"

// The requests that the device pages send themselves (status, output settings, cable detect).
// Each is one transaction on the page's channel; the result tells a failed transaction from a
// reply that carries no value from a value, and keeps the channel's status for the caller.
namespace vexilo::requests {

enum class Outcome {
    kValue,      // the transaction succeeded and the reply carries the value
    kBadLength,  // the transaction succeeded but the reply is too short for the value (for the
                 // cable detect: not exactly one byte); not a lost converter
    kFailed,     // the transaction failed; `status` says how
};

template <typename T>
struct Result {
    Outcome outcome = Outcome::kFailed;
    int status = kStatusNoReply;  // CDevChannel::m_nStatus after the transaction
    T value{};

    bool HasValue() const { return outcome == Outcome::kValue; }
    bool Failed() const { return outcome == Outcome::kFailed; }
    // The converter refused the command as one its firmware lacks (error 0x0A or 0x0B), as
    // opposed to a converter that does not answer.
    bool Unsupported() const {
        return Failed() && (status == kErrorUnsupported1 || status == kErrorUnsupported2);
    }
};

// Status block (command 0x03): the first 13 reply bytes, 16-bit fields little-endian.
inline constexpr int kStatusBlockSize = 13;
inline constexpr std::uint16_t kNoInput = 0xFFFF;  // width, height, frame rate: no input signal

struct StatusBlock {
    std::uint16_t width = kNoInput;      // pixels
    std::uint16_t height = kNoInput;     // lines
    std::int16_t fpgaTemperature = 0;    // 0.1 degC
    std::int16_t mcuTemperature = 0;     // 0.1 degC
    std::uint16_t supplyVoltage = 0;     // 0.1 V
    std::uint16_t frameRate = kNoInput;  // frames per second times 100
    std::uint8_t scanning = 0;           // 1 interlaced, 2 progressive, else no data

    bool operator==(const StatusBlock&) const = default;
};

// Decodes kStatusBlockSize bytes.
StatusBlock DecodeStatusBlock(const std::uint8_t* data);

// Output settings block (command 0x07 reply, command 0x08 request).
inline constexpr int kOutputSettingsSize = 3;

struct OutputSettings {
    std::uint8_t format = 1;  // 0 = 1920x1080 59.94i, 1 = 1920x1080 59.94p
    std::uint8_t level = 0;   // 0 = Level-A, 1 = Level-B
    std::uint8_t scaler = 0;  // 0 = always scale, 1 = no scaling when the output can follow

    bool operator==(const OutputSettings&) const = default;
};

// Command 0x03: 13 bytes or more (the first 13 used).
Result<StatusBlock> ReadStatus(CDevChannel& channel);

// Command 0x07 without data: 3 bytes or more (the first 3 used).
Result<OutputSettings> GetOutputSettings(CDevChannel& channel);

// Command 0x08 with format, level, scaler; the reply is not examined. True on success.
bool SendOutputSettings(CDevChannel& channel, const OutputSettings& settings);

// Command 0x14 0x00: exactly one byte, nonzero = +5V cable detection on. Firmware without
// the setting fails it with Unsupported().
Result<std::uint8_t> GetCableDetect(CDevChannel& channel);

// Command 0x15 0x00 setting (1 = detection on, 0 = off); the reply is not examined.
bool SetCableDetect(CDevChannel& channel, std::uint8_t setting);

}  // namespace vexilo::requests
