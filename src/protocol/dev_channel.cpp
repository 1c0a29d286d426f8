#include "protocol/dev_channel.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "protocol/frame_trace.h"
#include "serial/wait_observer.h"

namespace vexilo {

std::uint8_t FrameCheckByte(const std::uint8_t* frame, int dataLength) {
    std::uint8_t x = 0;
    for (int i = 1; i <= 4 + dataLength; ++i) {
        x ^= frame[i];
    }
    return x;
}

int BuildFrame(std::uint8_t* out, std::uint8_t command, const std::uint8_t* data, int dataLength) {
    out[0] = kStx;
    out[1] = command;
    out[2] = static_cast<std::uint8_t>(dataLength & 0xFF);
    out[3] = static_cast<std::uint8_t>((dataLength >> 8) & 0xFF);
    if (dataLength > 0) {
        std::memcpy(out + 4, data, static_cast<size_t>(dataLength));
    }
    out[4 + dataLength] = kEtx;
    out[5 + dataLength] = FrameCheckByte(out, dataLength);
    return dataLength + 6;
}

CDevChannel::CDevChannel(std::unique_ptr<IPelkComm> comm, std::string label)
    : m_pComm(std::move(comm)), m_strLabel(std::move(label)) {
    StartFrameTraceFromEnvironment();
}

void CDevChannel::SendRequest(std::uint8_t command, const std::uint8_t* data, int length) {
    m_pComm->Purge();
    m_nStatus = kStatusOk;
    if (length < 0 || length > kMaxFrameData || (length > 0 && data == nullptr)) {
        m_nRequestLength = 0;  // nothing fit to send; the reply read reports the failure
        return;
    }
    m_nRequestLength = BuildFrame(m_abySend.data(), command, data, length);
    TraceFrame(m_strLabel, true, m_abySend.data(), m_nRequestLength, kStatusOk);
    m_pComm->Write(m_abySend.data(), m_nRequestLength);
}

bool CDevChannel::Fail(int status, int received) {
    m_nStatus = status;
    m_pComm->Purge();
    TraceReply(received);
    return false;
}

void CDevChannel::TraceReply(int received) const {
    TraceFrame(m_strLabel, false, m_abyReceive.data(), received, m_nStatus);
}

bool CDevChannel::ReceiveReply() {
    m_nReplyLength = 0;
    std::uint8_t* const rx = m_abyReceive.data();

    // Hunt for STX, one byte at a time, but not forever: a line that only ever delivers noise
    // would otherwise hold the user interface for as long as the noise lasts. Both a frame's
    // worth of noise and noise that trickles in past the reply's deadline end it.
    const auto deadline = m_pNow() + kReplyStartBudget;
    int skipped = 0;
    for (;;) {
        if (m_pComm->Read(rx, 1) != 1) {
            return Fail(kStatusNoReply, 0);
        }
        if (rx[0] == kStx) {
            break;
        }
        if (++skipped >= kMaxFrameSize || m_pNow() >= deadline) {
            return Fail(kStatusNoReply, 0);
        }
    }
    const int header = std::max(m_pComm->Read(rx + 1, 3), 0);
    if (header != 3) {
        return Fail(kStatusNoReply, 1 + header);
    }
    const int n = rx[2] + 256 * rx[3];
    if (n > kMaxFrameData) {
        return Fail(kStatusNoReply, 4);  // would not fit the buffer; never read it
    }
    const int rest = std::max(m_pComm->Read(rx + 4, n + 2), 0);
    if (rest != n + 2) {
        return Fail(kStatusNoReply, 4 + rest);
    }
    if (rx[4 + n] != kEtx) {
        return Fail(kStatusNoEtx, n + 6);
    }
    if (FrameCheckByte(rx, n) != rx[5 + n]) {
        return Fail(kStatusBadCheck, n + 6);
    }
    if (rx[1] == kErrorReply) {
        m_nStatus = rx[4];
        if (m_nStatus == kStatusOk) {
            TraceReply(n + 6);
            return true;  // an acknowledgement: success without data
        }
        return Fail(m_nStatus, n + 6);
    }
    m_nReplyLength = n;
    m_nStatus = kStatusOk;
    TraceReply(n + 6);
    return true;
}

bool CDevChannel::Transact(std::uint8_t command, const std::uint8_t* data, int length) {
    const ObservedCommand observed;
    SendRequest(command, data, length);
    return ReceiveReply();
}

}  // namespace vexilo
