#pragma once

#include <cstdint>

namespace vexilo {

// CRC-24 of OpenPGP: generator 0x1864CFB, initial value 0xB704CE, most significant bit first,
// no reflection, no final XOR. Protects the converter's identification record.
inline constexpr std::uint32_t kCrc24Poly = 0x1864CFB;
inline constexpr std::uint32_t kCrc24Init = 0xB704CE;

// The CRC of `count` bytes at `data`, in the low 24 bits. A null pointer counts as no data.
std::uint32_t Crc24(const std::uint8_t* data, std::uint16_t count);

}  // namespace vexilo
