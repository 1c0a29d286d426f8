#pragma once

#include <streambuf>
#include <string>
#include <string_view>

// Every text vexiloctl prints passes through here on its way to the terminal.
namespace vexilo::cli {

// Forwards to `target` with control characters other than line feed (C0, DEL, and C1 as UTF-8)
// written as \u00XX: a converter's Name or a file's text cannot move the cursor, clear the
// screen or set the title. The escape is JSON's own, so a JSON document passing through reads
// the same.
class TerminalSafeBuffer final : public std::streambuf {
public:
    explicit TerminalSafeBuffer(std::streambuf* target) : m_target(target) {}
    TerminalSafeBuffer(const TerminalSafeBuffer&) = delete;
    TerminalSafeBuffer& operator=(const TerminalSafeBuffer&) = delete;
    ~TerminalSafeBuffer() override;

protected:
    int_type overflow(int_type ch) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    void Put(unsigned char ch);
    bool Forward();

    std::streambuf* m_target;
    std::string m_out;
    bool m_afterC2 = false;  // a 0xC2 lead byte is held until the next byte shows what it starts
};

// `text` as TerminalSafeBuffer writes it, and with line feeds escaped too: one line of a table.
std::string OneLine(std::string_view text);

}  // namespace vexilo::cli
