#include "protocol/crc24.h"

namespace vexilo {

std::uint32_t Crc24(const std::uint8_t* data, std::uint16_t count) {
    std::uint32_t crc = kCrc24Init;
    if (data == nullptr) {
        return crc;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        crc ^= static_cast<std::uint32_t>(data[i]) << 16;
        for (int bit = 0; bit < 8; ++bit) {
            crc <<= 1;
            if (crc & 0x1000000) {
                crc ^= kCrc24Poly;
            }
        }
    }
    return crc & 0xFFFFFF;
}

}  // namespace vexilo
