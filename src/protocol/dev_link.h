#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "protocol/dev_channel.h"
#include "protocol/id_record.h"

namespace vexilo {

// The per-converter record a page owns: its channel, port, kind and the ID settings block.
// Every converter command is one of its operations; each reports failure only through its
// own return convention (see the operations).
class CDevLink {
public:
    // A new record holds the default ID block (function off, DID 0x5F) and both flags clear.
    CDevLink(std::unique_ptr<CDevChannel> channel, int port, int kind)
        : m_pChannel(std::move(channel)), m_nPort(port), m_nKind(kind) {
        m_abyIdBlock[1] = 0x5F;
    }
    CDevLink(const CDevLink&) = delete;
    CDevLink& operator=(const CDevLink&) = delete;

    // Command 0x00, up to `attempts` times; true at the first accepted reply.
    bool CheckConnection(int attempts, bool withoutData);
    // Command 0x01: copies up to `size` reply bytes; returns the count, 0 on failure.
    int GetVersionInfo(std::uint8_t selector, std::uint8_t* buffer, int size);
    // Command 0x05 0x80: the series code, 0xFF on failure or a reply that is not one byte.
    std::uint8_t GetSeriesCode();
    // Command 0x07 0x01 index: the value, 0xFFFF on failure or a reply that is not two bytes.
    std::uint16_t GetAdjustment(std::uint8_t index);
    // Command 0x08 0x01 index value: 0 on success, -1 on failure.
    int SetAdjustment(std::uint8_t index, std::uint16_t value);
    // Mode 0: StoreIdSettings, then 0x09 (save). Other modes: 0x09 0x00 mode (revert). 0 / -1.
    int CommitDeviceSettings(std::uint8_t mode);
    // Command 0x09 0x01 mode: 0 / -1.
    int CommitAdjustments(std::uint8_t mode);
    // Command 0x0F: the input format code, 0xF0 on failure or a reply that is not one byte.
    std::uint8_t GetInputFormat();
    // Command 0x11 0x04: true with exactly 1024 reply bytes, of which min(size, 1024) are copied.
    bool ReadIdBlock(std::uint8_t* buffer, std::uint16_t size);
    // Reads and decodes the converter's ID record into m_abyIdBlock.
    bool LoadIdSettings();
    // When the block is marked changed: re-reads the converter's record, replaces the fields of
    // m_nIdFields with those of m_abyIdBlock (a record that does not decode gets the whole
    // block) and writes the result when it differs from what the converter holds.
    bool StoreIdSettings();

    CDevChannel& Channel() { return *m_pChannel; }

    std::unique_ptr<CDevChannel> m_pChannel;
    int m_nPort = 0;
    int m_nKind = 0;
    std::array<std::uint8_t, kIdBlockSize> m_abyIdBlock{};
    bool m_bIdValid = false;
    bool m_bIdChanged = false;
    // The fields of m_abyIdBlock that the next store puts over the converter's record.
    unsigned m_nIdFields = kIdFieldsAll;

private:
    // One transaction on the channel; false without a channel.
    bool Transact(std::uint8_t command, const std::uint8_t* data = nullptr, int length = 0);
    // The reply data of the last accepted transaction.
    const std::uint8_t* Reply() const { return m_pChannel->ReplyData(); }
    int ReplyLength() const { return m_pChannel->m_nReplyLength; }
};

}  // namespace vexilo
