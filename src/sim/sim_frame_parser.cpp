#include "sim/sim_frame_parser.h"

#include "protocol/dev_channel.h"

namespace vexilo {

void CSimFrameParser::Reset() {
    m_state = State::Hunt;
    m_headerFill = 0;
    m_body.clear();
}

CSimFrameParser::Result CSimFrameParser::Feed(std::uint8_t byte) {
    switch (m_state) {
        case State::Hunt:
            if (byte == kStx) {
                m_state = State::Header;
                m_headerFill = 0;
            }
            return Result::None;
        case State::Header:
            m_header[m_headerFill++] = byte;
            if (m_headerFill < 3) {
                return Result::None;
            }
            m_length = m_header[1] | (m_header[2] << 8);
            if (m_length > kMaxFrameData) {
                Reset();
                return Result::BadFrame;
            }
            m_body.clear();
            m_body.reserve(static_cast<size_t>(m_length) + 2);
            m_state = State::Body;
            return Result::None;
        case State::Body: {
            m_body.push_back(byte);
            if (static_cast<int>(m_body.size()) < m_length + 2) {
                return Result::None;
            }
            // Check the frame in the layout the codec expects: STX, header, body.
            std::vector<std::uint8_t> frame(m_body.size() + 4);
            frame[0] = kStx;
            frame[1] = m_header[0];
            frame[2] = m_header[1];
            frame[3] = m_header[2];
            std::copy(m_body.begin(), m_body.end(), frame.begin() + 4);
            const bool ok =
                frame[static_cast<size_t>(4 + m_length)] == kEtx &&
                FrameCheckByte(frame.data(), m_length) == frame[static_cast<size_t>(5 + m_length)];
            if (ok) {
                m_command = m_header[0];
                m_data.assign(m_body.begin(), m_body.begin() + m_length);
            }
            Reset();
            return ok ? Result::Frame : Result::BadFrame;
        }
    }
    return Result::None;
}

}  // namespace vexilo
