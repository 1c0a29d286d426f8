#pragma once

#include <cstdint>
#include <vector>

#include "protocol/dev_channel.h"

namespace vexilo::test {

// A well-formed frame with the given command and data.
inline std::vector<std::uint8_t> Frame(std::uint8_t command, std::vector<std::uint8_t> data = {}) {
    std::vector<std::uint8_t> out(data.size() + 6);
    BuildFrame(out.data(), command, data.data(), static_cast<int>(data.size()));
    return out;
}

}  // namespace vexilo::test
