#pragma once

#include <cstdint>
#include <vector>

namespace vexilo {

// The converter's receiver: assembles request frames from the byte stream. Bytes before an STX
// are skipped; a frame with a wrong ETX or check byte, or one announcing more data than the
// firmware's buffer holds, is reported as bad and the receiver starts over.
class CSimFrameParser {
public:
    enum class Result { None, Frame, BadFrame };

    // Takes one byte; Frame or BadFrame when it completed one.
    Result Feed(std::uint8_t byte);
    // Forgets a partly received frame.
    void Reset();
    // True while a frame is partly received.
    bool Busy() const { return m_state != State::Hunt; }

    // The last complete frame's command and data.
    std::uint8_t Command() const { return m_command; }
    const std::vector<std::uint8_t>& Data() const { return m_data; }

private:
    enum class State { Hunt, Header, Body };

    State m_state = State::Hunt;
    std::uint8_t m_header[3] = {};
    int m_headerFill = 0;
    int m_length = 0;
    std::vector<std::uint8_t> m_body;  // data, ETX and check byte
    std::uint8_t m_command = 0;
    std::vector<std::uint8_t> m_data;
};

}  // namespace vexilo
