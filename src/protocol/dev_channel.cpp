#include "protocol/dev_channel.h"

#include <cstring>
#include <utility>

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

CDevChannel::CDevChannel(std::unique_ptr<IPelkComm> comm) : m_pComm(std::move(comm)) {}

void CDevChannel::SendRequest(std::uint8_t command, const std::uint8_t* data, int length) {
    m_pComm->Purge();
    m_nStatus = kStatusOk;
    if (length < 0 || length > kMaxFrameData || (length > 0 && data == nullptr)) {
        m_nRequestLength = 0;  // nothing fit to send; the reply read reports the failure
        return;
    }
    m_nRequestLength = BuildFrame(m_abySend.data(), command, data, length);
    m_pComm->Write(m_abySend.data(), m_nRequestLength);
}

bool CDevChannel::Fail(int status) {
    m_nStatus = status;
    m_pComm->Purge();
    return false;
}

bool CDevChannel::ReceiveReply() {
    m_nReplyLength = 0;
    std::uint8_t* const rx = m_abyReceive.data();

    // Hunt for STX, one byte at a time, but not forever: a line that only ever delivers noise
    // would otherwise hold the user interface for as long as the noise lasts.
    int skipped = 0;
    for (;;) {
        if (m_pComm->Read(rx, 1) != 1) {
            return Fail(kStatusNoReply);
        }
        if (rx[0] == kStx) {
            break;
        }
        if (++skipped >= kMaxFrameSize) {
            return Fail(kStatusNoReply);
        }
    }
    if (m_pComm->Read(rx + 1, 3) != 3) {
        return Fail(kStatusNoReply);
    }
    const int n = rx[2] + 256 * rx[3];
    if (n > kMaxFrameData) {
        return Fail(kStatusNoReply);  // would not fit the buffer; never read it
    }
    if (m_pComm->Read(rx + 4, n + 2) != n + 2) {
        return Fail(kStatusNoReply);
    }
    if (rx[4 + n] != kEtx) {
        return Fail(kStatusNoEtx);
    }
    if (FrameCheckByte(rx, n) != rx[5 + n]) {
        return Fail(kStatusBadCheck);
    }
    if (rx[1] == kErrorReply) {
        m_nStatus = rx[4];
        if (m_nStatus == kStatusOk) {
            return true;  // an acknowledgement: success without data
        }
        return Fail(m_nStatus);
    }
    m_nReplyLength = n;
    m_nStatus = kStatusOk;
    return true;
}

bool CDevChannel::Transact(std::uint8_t command, const std::uint8_t* data, int length) {
    const ObservedCommand observed;
    SendRequest(command, data, length);
    return ReceiveReply();
}

}  // namespace vexilo
