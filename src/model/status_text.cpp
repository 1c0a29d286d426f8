#include "model/status_text.h"

#include <charconv>

namespace vexilo::model {

namespace {

constexpr char kNone[] = "-----";

// Fixed decimals whatever the C locale says: a GUI may set one that writes "41,2".
std::string Fixed(double value, int decimals) {
    char text[32];
    const auto result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

std::string Dimension(std::uint16_t v) {
    return v == requests::kNoInput ? kNone : std::to_string(v);
}

std::string FrameRate(std::uint16_t v) {
    if (v == requests::kNoInput) {
        return kNone;
    }
    if (v % 100 == 0) {
        return std::to_string(v / 100);
    }
    return Fixed(v / 100.0, 2);
}

std::string Tenths(int v) {
    return Fixed(v / 10.0, 1);
}

}  // namespace

StatusText FormatStatus(const requests::StatusBlock& s) {
    return {Dimension(s.width),
            Dimension(s.height),
            FrameRate(s.frameRate),
            s.scanning == 1 ? "interlace" : s.scanning == 2 ? "progressive" : kNone,
            Tenths(s.fpgaTemperature),
            Tenths(s.mcuTemperature),
            Tenths(s.supplyVoltage)};
}

}  // namespace vexilo::model
