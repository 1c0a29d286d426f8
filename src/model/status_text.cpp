#include "model/status_text.h"

#include <cstdio>

namespace vexilo::model {

namespace {

constexpr char kNone[] = "-----";

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
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", v / 100.0);
    return text;
}

std::string Tenths(int v) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", v / 10.0);
    return text;
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
