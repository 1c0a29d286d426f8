#include "ember/s101.h"

#include <algorithm>

namespace vexilo::ember {

namespace {

// Garbage between frames that is still forgiven (line noise at connect).
constexpr std::size_t kMaxOutside = 1024;

void AppendEscaped(Bytes& out, std::uint8_t b) {
    if (b >= kInvalid) {
        out.push_back(kCe);
        out.push_back(static_cast<std::uint8_t>(b ^ 0x20));
    } else {
        out.push_back(b);
    }
}

}  // namespace

std::uint16_t Crc16(std::span<const std::uint8_t> data, std::uint16_t crc) {
    for (std::uint8_t b : data) {
        crc ^= b;
        for (int i = 0; i < 8; ++i) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

Bytes Frame(std::span<const std::uint8_t> data) {
    Bytes out;
    out.reserve(data.size() + data.size() / 8 + 8);
    out.push_back(kBof);
    for (std::uint8_t b : data) {
        AppendEscaped(out, b);
    }
    const auto crc = static_cast<std::uint16_t>(~Crc16(data));
    AppendEscaped(out, static_cast<std::uint8_t>(crc & 0xFF));
    AppendEscaped(out, static_cast<std::uint8_t>(crc >> 8));
    out.push_back(kEof);
    return out;
}

Bytes EncodeEmberMessage(std::span<const std::uint8_t> glow) {
    Bytes out;
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min(kPacketPayload, glow.size() - pos);
        std::uint8_t flags = 0;
        if (pos == 0) {
            flags |= kFlagFirst;
        }
        if (pos + n == glow.size()) {
            flags |= kFlagLast;
        }
        // Glow DTD version 2.31 in the application bytes (minor, major).
        Bytes data{kSlot,    kMessageEmber, kCommandEmber, kVersion, flags,
                   kDtdGlow, 0x02,          0x1F,          0x02};
        data.insert(data.end(), glow.begin() + static_cast<std::ptrdiff_t>(pos),
                    glow.begin() + static_cast<std::ptrdiff_t>(pos + n));
        const Bytes frame = Frame(data);
        out.insert(out.end(), frame.begin(), frame.end());
        pos += n;
    } while (pos < glow.size());
    return out;
}

Bytes KeepAliveRequest() {
    const std::uint8_t data[] = {kSlot, kMessageEmber, kCommandKeepAliveRequest, kVersion};
    return Frame(data);
}

Bytes KeepAliveResponse() {
    const std::uint8_t data[] = {kSlot, kMessageEmber, kCommandKeepAliveResponse, kVersion};
    return Frame(data);
}

bool S101Decoder::Feed(std::span<const std::uint8_t> bytes, std::vector<S101Event>& events) {
    for (std::uint8_t b : bytes) {
        if (Failed()) {
            return false;
        }
        if (b == kBof) {
            // A BOF inside a frame starts it over: the unfinished frame is lost, as a sender
            // that gave up on it meant.
            m_inFrame = true;
            m_escape = false;
            m_frame.clear();
            continue;
        }
        if (!m_inFrame) {
            if (++m_outside > kMaxOutside) {
                Fail("too many bytes outside frames");
            }
            continue;
        }
        if (b == kEof) {
            m_inFrame = false;
            if (m_escape) {
                Fail("frame ends inside an escape");
                continue;
            }
            FrameDone(events);
            continue;
        }
        if (m_escape) {
            m_escape = false;
            m_frame.push_back(static_cast<std::uint8_t>(b ^ 0x20));
        } else if (b == kCe) {
            m_escape = true;
            continue;
        } else if (b >= kInvalid) {
            Fail("unescaped byte in a frame");
            continue;
        } else {
            m_frame.push_back(b);
        }
        if (m_frame.size() > m_maxFrame) {
            Fail("frame longer than " + std::to_string(m_maxFrame) + " bytes");
        }
    }
    return !Failed();
}

void S101Decoder::FrameDone(std::vector<S101Event>& events) {
    if (m_frame.size() < 6) {
        Fail("frame too short");
        return;
    }
    if (Crc16(m_frame) != 0xF0B8) {
        Fail("frame with a wrong CRC");
        return;
    }
    const std::span<const std::uint8_t> data(m_frame.data(), m_frame.size() - 2);
    if (data[0] != kSlot || data[1] != kMessageEmber) {
        Fail("not an Ember+ frame");
        return;
    }
    const std::uint8_t command = data[2];
    if (command == kCommandKeepAliveRequest || command == kCommandKeepAliveResponse) {
        events.push_back({command == kCommandKeepAliveRequest ? S101Event::kKeepAliveRequest
                                                              : S101Event::kKeepAliveResponse,
                          {}});
        return;
    }
    if (command != kCommandEmber || data.size() < 7) {
        Fail("unknown S101 command");
        return;
    }
    const std::uint8_t flags = data[4];
    const std::uint8_t dtd = data[5];
    const std::size_t appBytes = data[6];
    if (dtd != kDtdGlow || data.size() < 7 + appBytes) {
        Fail("not a Glow message");
        return;
    }
    const auto payload = data.subspan(7 + appBytes);
    if ((flags & kFlagEmpty) != 0) {
        return;
    }
    if ((flags & kFlagFirst) != 0) {
        m_message.clear();
        m_collecting = true;
    } else if (!m_collecting) {
        Fail("packet without its first packet");
        return;
    }
    if (m_message.size() + payload.size() > m_maxMessage) {
        Fail("message longer than " + std::to_string(m_maxMessage) + " bytes");
        return;
    }
    m_message.insert(m_message.end(), payload.begin(), payload.end());
    if ((flags & kFlagLast) != 0) {
        m_collecting = false;
        events.push_back({S101Event::kMessage, std::move(m_message)});
        m_message.clear();
    }
}

}  // namespace vexilo::ember
