#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "protocol/converter_kind.h"
#include "protocol/dev_channel.h"
#include "protocol/id_record.h"

namespace vexilo {

// The converter's command set over its channel: a getter returns its value or none, a command
// returns whether the converter accepted it. It keeps no state of its own beyond the channel and
// the kind it was opened for; what the panel knows of a converter lives in model::Converter.
class CDevLink {
public:
    CDevLink(std::unique_ptr<CDevChannel> channel, Kind kind)
        : m_pChannel(std::move(channel)), m_kind(kind) {}
    CDevLink(const CDevLink&) = delete;
    CDevLink& operator=(const CDevLink&) = delete;

    // Command 0x00, up to `attempts` times; true at the first accepted reply.
    bool CheckConnection(int attempts, bool withoutData);
    // Command 0x01: copies up to `size` reply bytes; returns the count, 0 on failure.
    int GetVersionInfo(std::uint8_t selector, std::uint8_t* buffer, int size);
    // Command 0x05 0x80: the series code; none on failure, for a reply that is not one byte, or
    // for 0xFF, the code a converter reserves for having none.
    std::optional<std::uint8_t> GetSeriesCode();
    // Command 0x07 0x01 index: the value (0xFFFF included: an erased table holds it); none on
    // failure or for a reply that is not two bytes.
    std::optional<std::uint16_t> GetAdjustment(std::uint8_t index);
    // Command 0x08 0x01 index value: true when the converter accepted it.
    bool SetAdjustment(std::uint8_t index, std::uint16_t value);
    // Mode 0: 0x09 (save). Other modes: 0x09 0x00 mode (revert). True when the converter
    // accepted it.
    bool CommitDeviceSettings(std::uint8_t mode);
    // Command 0x09 0x01 mode: true when the converter accepted it.
    bool CommitAdjustments(std::uint8_t mode);
    // Command 0x0F: the input format code (kInputFormatNone: no input signal); none on failure,
    // for a reply that is not one byte, or for 0xF0, which the converter reserves.
    std::optional<std::uint8_t> GetInputFormat();
    // Command 0x11 0x04: true with exactly 1024 reply bytes, of which min(size, 1024) are copied.
    bool ReadIdBlock(std::uint8_t* buffer, std::uint16_t size);
    // Reads and decodes the converter's ID record into `block`; anything but kDecoded leaves the
    // default block there.
    enum class IdRead { kUnread, kUndecodable, kDecoded };
    IdRead LoadIdRecord(IdBlock& block);
    // Re-reads the converter's record, replaces its `fields` with those of `block` (a record that
    // does not decode gets the whole block) and writes the result (0x12) only when it differs
    // from what the converter holds; `written` tells whether it did. False when `block` does not
    // encode or a transaction failed.
    bool StoreIdRecord(const IdBlock& block, unsigned fields, bool* written = nullptr);

    CDevChannel& Channel() { return *m_pChannel; }

    std::unique_ptr<CDevChannel> m_pChannel;
    Kind m_kind = Kind::Other;

private:
    // One transaction on the channel; false without a channel.
    bool Transact(std::uint8_t command, const std::uint8_t* data = nullptr, int length = 0);
    // The reply data of the last accepted transaction.
    const std::uint8_t* Reply() const { return m_pChannel->ReplyData(); }
    int ReplyLength() const { return m_pChannel->m_nReplyLength; }
};

}  // namespace vexilo
