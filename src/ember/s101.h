#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ember/ber.h"

// S101 framing of Ember+ over a byte stream: BOF 0xFE, EOF 0xFF, bytes from 0xF8 escaped as
// 0xFD followed by the byte xor 0x20, and a CRC-16 (CCITT, reflected) before EOF.
namespace vexilo::ember {

inline constexpr std::uint8_t kBof = 0xFE;
inline constexpr std::uint8_t kEof = 0xFF;
inline constexpr std::uint8_t kCe = 0xFD;
inline constexpr std::uint8_t kInvalid = 0xF8;  // bytes from here on are escaped

// Message header fields.
inline constexpr std::uint8_t kSlot = 0x00;
inline constexpr std::uint8_t kMessageEmber = 0x0E;
inline constexpr std::uint8_t kCommandEmber = 0x00;
inline constexpr std::uint8_t kCommandKeepAliveRequest = 0x01;
inline constexpr std::uint8_t kCommandKeepAliveResponse = 0x02;
inline constexpr std::uint8_t kVersion = 0x01;
inline constexpr std::uint8_t kFlagFirst = 0x80;
inline constexpr std::uint8_t kFlagLast = 0x40;
inline constexpr std::uint8_t kFlagEmpty = 0x20;
inline constexpr std::uint8_t kDtdGlow = 0x01;

// Payload bytes per outgoing packet; longer messages go as several packets.
inline constexpr std::size_t kPacketPayload = 1024;

// The CRC of `data` as S101 uses it: initial 0xFFFF, polynomial 0x8408 (reflected 0x1021),
// complemented. Appended low byte first; over data and CRC the register ends at 0xF0B8.
std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t crc = 0xFFFF);

// One frame: BOF, escaped `data` and CRC, EOF.
Bytes Frame(std::span<const std::uint8_t> data);
// The frames of one Glow message (split into packets with first/last flags).
Bytes EncodeEmberMessage(std::span<const std::uint8_t> glow);
Bytes KeepAliveRequest();
Bytes KeepAliveResponse();

// What the decoder has for its owner.
struct S101Event {
    enum Kind { kKeepAliveRequest, kKeepAliveResponse, kMessage } kind = kMessage;
    Bytes glow;  // kMessage: the whole Glow payload, packets joined
};

// Turns received bytes into events. Bytes outside frames are tolerated up to a limit; a frame
// that is too long, has a wrong CRC or a header it does not know, or a message that grows beyond
// the limit, fails the decoder for good: the connection is to be dropped.
class S101Decoder {
public:
    explicit S101Decoder(std::size_t maxFrame = 4096, std::size_t maxMessage = 256 * 1024)
        : m_maxFrame(maxFrame), m_maxMessage(maxMessage) {}

    // Feeds `bytes`; complete events are appended to `events`. False once failed.
    bool Feed(std::span<const std::uint8_t> bytes, std::vector<S101Event>& events);
    bool Failed() const { return !m_error.empty(); }
    const std::string& Error() const { return m_error; }

private:
    void FrameDone(std::vector<S101Event>& events);
    void Fail(std::string text) { m_error = std::move(text); }

    std::size_t m_maxFrame;
    std::size_t m_maxMessage;
    bool m_inFrame = false;
    bool m_escape = false;
    std::size_t m_outside = 0;  // bytes seen outside frames
    Bytes m_frame;
    Bytes m_message;
    bool m_collecting = false;
    std::string m_error;
};

}  // namespace vexilo::ember
