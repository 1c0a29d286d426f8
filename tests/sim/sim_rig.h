#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "protocol/dev_channel.h"
#include "sim/sim_comm.h"
#include "sim/sim_converter.h"

namespace vexilo::test {

// A simulated converter and the panel's framing over the in-process link.
struct SimRig {
    explicit SimRig(SimConfig config = SimConfig::For(SimKind::Rgb))
        : model(std::make_shared<CSimConverter>(config)),
          channel(std::make_unique<CSimComm>(model)) {}

    bool Txn(std::uint8_t command, const std::vector<std::uint8_t>& data = {}) {
        return channel.Transact(command, data.data(), static_cast<int>(data.size()));
    }
    std::vector<std::uint8_t> Reply() const {
        return {channel.ReplyData(), channel.ReplyData() + channel.m_nReplyLength};
    }
    std::uint16_t Reply16() const { return channel.ReplyData()[0] | (channel.ReplyData()[1] << 8); }
    // Adjustment `index` of the active table as the panel reads it.
    int GetAdjustment(std::uint8_t index) {
        return Txn(0x07, {0x01, index}) && channel.m_nReplyLength == 2 ? Reply16() : -1;
    }
    bool SetAdjustment(std::uint8_t index, std::uint16_t value) {
        return Txn(0x08, {0x01, index, static_cast<std::uint8_t>(value & 0xFF),
                          static_cast<std::uint8_t>(value >> 8)});
    }

    std::shared_ptr<CSimConverter> model;
    CDevChannel channel;
};

}  // namespace vexilo::test
