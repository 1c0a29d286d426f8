#include "ui/text.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <system_error>

namespace vexilo::ui {

namespace {

char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length in bytes of the well-formed UTF-8 sequence at `text[i]`, 0 when it is not one.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    const auto byte = [&text](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    std::uint8_t low = 0x80;  // bounds of the second byte (no overlong forms, no surrogates)
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
            return 0;
        }
    }
    return length;
}

// Bytes of the character at `text[i]` (1 for a byte that starts no well-formed character) and
// its UTF-16 code units.
std::size_t CharacterAt(std::string_view text, std::size_t i, int& units) {
    const std::size_t length = SequenceLength(text, i);
    units = length == 4 ? 2 : 1;
    return length == 0 ? 1 : length;
}

}  // namespace

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '9') {
            const auto n = static_cast<std::size_t>(pattern[i + 1] - '1');
            if (n < args.size()) {
                out += *(args.begin() + n);
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string FixedDecimal(double value, int decimals) {
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(buffer, end) : std::string();
}

int Utf16Length(std::string_view utf8) {
    int units = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        int n = 0;
        i += CharacterAt(utf8, i, n);
        units += n;
    }
    return units;
}

std::string Utf16Left(std::string_view utf8, int units) {
    std::size_t i = 0;
    int used = 0;
    while (i < utf8.size()) {
        int n = 0;
        const std::size_t bytes = CharacterAt(utf8, i, n);
        if (used + n > units) {
            break;
        }
        used += n;
        i += bytes;
    }
    return std::string(utf8.substr(0, i));
}

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithIgnoringAsciiCase(a, b);
}

bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (FoldAscii(text[i]) != FoldAscii(prefix[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace vexilo::ui
