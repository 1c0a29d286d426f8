#include "cli/terminal_text.h"

#include <cstdio>

namespace vexilo::cli {

namespace {

void Escape(std::string& out, unsigned code) {
    char text[8];
    std::snprintf(text, sizeof text, "\\u%04x", code);
    out += text;
}

bool Control(unsigned char ch) {
    return ch < 0x20 || ch == 0x7F;
}

}  // namespace

TerminalSafeBuffer::~TerminalSafeBuffer() {
    if (m_afterC2) {
        m_out += '\xC2';
        m_afterC2 = false;
    }
    Forward();
}

void TerminalSafeBuffer::Put(unsigned char ch) {
    if (m_afterC2) {
        m_afterC2 = false;
        if (ch >= 0x80 && ch <= 0x9F) {
            Escape(m_out, ch);  // U+0080..U+009F: CSI, OSC and the other C1 controls
            return;
        }
        m_out += '\xC2';
    }
    if (ch == 0xC2) {
        m_afterC2 = true;
    } else if (Control(ch) && ch != '\n') {
        Escape(m_out, ch);
    } else {
        m_out += static_cast<char>(ch);
    }
}

bool TerminalSafeBuffer::Forward() {
    const auto n = static_cast<std::streamsize>(m_out.size());
    const bool ok = n == 0 || m_target->sputn(m_out.data(), n) == n;
    m_out.clear();
    return ok;
}

TerminalSafeBuffer::int_type TerminalSafeBuffer::overflow(int_type ch) {
    if (traits_type::eq_int_type(ch, traits_type::eof())) {
        return traits_type::not_eof(ch);
    }
    Put(static_cast<unsigned char>(traits_type::to_char_type(ch)));
    return Forward() ? ch : traits_type::eof();
}

std::streamsize TerminalSafeBuffer::xsputn(const char* text, std::streamsize count) {
    for (std::streamsize i = 0; i < count; ++i) {
        Put(static_cast<unsigned char>(text[i]));
    }
    return Forward() ? count : 0;
}

int TerminalSafeBuffer::sync() {
    return Forward() ? m_target->pubsync() : -1;
}

std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        if (ch == '\n') {
            Escape(out, '\n');
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace vexilo::cli
