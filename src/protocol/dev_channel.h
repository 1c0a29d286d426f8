#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/pelk_comm.h"

namespace vexilo {

// Transaction results kept in CDevChannel::m_nStatus. Any other value 1-255 is the converter's
// own error code from an error reply.
enum : int {
    kStatusOk = 0,
    kStatusNoEtx = 3,     // the byte after the data is not ETX
    kStatusBadCheck = 4,  // XOR check byte does not match
    kStatusNoReply = 6,   // no STX, or header or data arrived short
};

inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kErrorReply = 0xFF;
inline constexpr int kMaxFrameData = 4160;
inline constexpr int kMaxFrameSize = kMaxFrameData + 6;

// XOR of the command, both length bytes, the data and the ETX of a frame that starts at `frame`.
std::uint8_t FrameCheckByte(const std::uint8_t* frame, int dataLength);

// Builds a frame into `out` (room for dataLength + 6 bytes); returns its length.
int BuildFrame(std::uint8_t* out, std::uint8_t command, const std::uint8_t* data, int dataLength);

// A reply must start (its STX arrive) within this much of the request, however much noise comes
// first: the read time-out of one byte.
inline constexpr std::chrono::milliseconds kReplyStartBudget{3010};

// One converter's framing: one request, then exactly one reply, through the owned IPelkComm.
// The buffers live in the object, so a transaction allocates nothing. Every request and reply
// goes to the frame trace (protocol/frame_trace.h) under `label`, the port's label.
class CDevChannel {
public:
    explicit CDevChannel(std::unique_ptr<IPelkComm> comm, std::string label = {});
    CDevChannel(const CDevChannel&) = delete;
    CDevChannel& operator=(const CDevChannel&) = delete;

    // Purges the port, builds the request in m_abySend and writes it. A request with more than
    // kMaxFrameData bytes (or a null data pointer with data) is not sent; the reply then fails.
    void SendRequest(std::uint8_t command, const std::uint8_t* data, int length);
    // Reads and checks one reply; on failure m_nStatus says why and the port has been purged.
    bool ReceiveReply();
    // SendRequest followed by ReceiveReply.
    bool Transact(std::uint8_t command, const std::uint8_t* data = nullptr, int length = 0);

    // The data of the last accepted reply: m_nReplyLength bytes.
    const std::uint8_t* ReplyData() const { return m_abyReceive.data() + 4; }
    // The port's label, as the trace names it.
    const std::string& Label() const { return m_strLabel; }

    int m_nStatus = kStatusOk;
    int m_nRequestLength = 0;
    int m_nReplyLength = 0;
    std::array<std::uint8_t, kMaxFrameSize> m_abySend{};
    std::array<std::uint8_t, kMaxFrameSize> m_abyReceive{};
    std::unique_ptr<IPelkComm> m_pComm;
    // The clock of the reply's deadline; tests put a scripted one in.
    std::chrono::steady_clock::time_point (*m_pNow)() = &std::chrono::steady_clock::now;

private:
    // Sets the status, purges and traces the `received` bytes of the reply.
    bool Fail(int status, int received);
    void TraceReply(int received) const;

    std::string m_strLabel;
};

}  // namespace vexilo
