#pragma once

#include <cstdint>

namespace vexilo {

// Command codes of the converter protocol. Codes not listed here are never sent.
inline constexpr std::uint8_t kCmdCheckConnection = 0x00;
inline constexpr std::uint8_t kCmdGetVersionInfo = 0x01;
inline constexpr std::uint8_t kCmdReadStatus = 0x03;
inline constexpr std::uint8_t kCmdGetSeriesCode = 0x05;
inline constexpr std::uint8_t kCmdGetSettings = 0x07;  // no data: output settings; 0x01: adjustment
inline constexpr std::uint8_t kCmdSetSettings = 0x08;  // 3 bytes: output settings; 0x01: adjustment
inline constexpr std::uint8_t kCmdCommit = 0x09;       // save or revert
inline constexpr std::uint8_t kCmdGetInputFormat = 0x0F;
inline constexpr std::uint8_t kCmdReadIdBlock = 0x11;
inline constexpr std::uint8_t kCmdWriteIdBlock = 0x12;
inline constexpr std::uint8_t kCmdGetCableDetect = 0x14;
inline constexpr std::uint8_t kCmdSetCableDetect = 0x15;

// First data bytes that select what a request is about.
inline constexpr std::uint8_t kSelGeneral = 0x00;     // device-wide settings (revert, cable detect)
inline constexpr std::uint8_t kSelAdjustment = 0x01;  // the adjustment table
inline constexpr std::uint8_t kSelSeriesCode = 0x80;  // argument of 0x05
inline constexpr std::uint8_t kSelIdStorage = 0x04;   // argument of 0x11 and 0x12

// Data byte the connection check sends when it sends one.
inline constexpr std::uint8_t kCheckConnectionData = 0x00;

// Reply values that carry no value: a reply holding one reads as no answer.
inline constexpr std::uint8_t kSeriesCodeReserved = 0xFF;
inline constexpr std::uint8_t kInputFormatReserved = 0xF0;
// The input format reply when the converter sees no input signal.
inline constexpr std::uint8_t kInputFormatNone = 0xFF;

// Converter error codes that mean the running firmware lacks the command.
inline constexpr int kErrorUnsupported1 = 0x0A;
inline constexpr int kErrorUnsupported2 = 0x0B;

}  // namespace vexilo
