#include "sim/sim_firmware.h"

#include <optional>

namespace vexilo {
namespace {

constexpr std::array<SimFormatInfo, 16> kFormats{{
    {0, 720, 480, 2997, 1, 858},
    {1, 640, 480, 5994, 2, 800},
    {2, 800, 600, 6032, 2, 1056},
    {3, 1024, 768, 6000, 2, 1344},
    {4, 1280, 720, 5994, 2, 1650},
    {5, 1280, 768, 5987, 2, 1664},
    {6, 1280, 800, 5981, 2, 1680},
    {7, 1280, 1024, 6002, 2, 1688},
    {8, 1360, 768, 6002, 2, 1792},
    {9, 1400, 1050, 5998, 2, 1864},
    {10, 1440, 900, 5989, 2, 1904},
    {11, 1600, 1200, 6000, 2, 2160},
    {12, 1680, 1050, 5995, 2, 2240},
    {13, 1920, 1080, 2997, 1, 2200},
    {14, 1920, 1080, 5994, 2, 2200},
    {15, 1920, 1200, 5995, 2, 2080},
}};

constexpr std::array<std::uint16_t, 16> kPhaseDefaults{0,  16, 22, 24, 14, 14, 14, 16,
                                                       14, 16, 16, 16, 16, 16, 16, 16};

constexpr std::uint16_t kDefaultLineTotal = 1344;
constexpr std::uint16_t kPhaseBeyondTable = 16;

constexpr std::array<std::uint16_t, kSimRgbAdjustments> kRgbMax{1000, 100,  4095, 511, 511, 511, 1,
                                                                1023, 1023, 1023, 1,   2,   31};

}  // namespace

SimConfig SimConfig::For(SimKind kind, SimFirmware firmware) {
    SimConfig c;
    c.kind = kind;
    c.cableDetect = kind == SimKind::Dvi;
    switch (kind) {
        case SimKind::Rgb:
            c.initialInputFormat = 3;
            break;
        case SimKind::Ntsc:
            c.initialInputFormat = 0;
            break;
        default:
            c.initialInputFormat = 14;
            break;
    }
    switch (firmware) {
        case SimFirmware::Main:
            break;
        case SimFirmware::Boot:
            c.runningVersion = "1.00";
            c.secondVersion = "1.00";
            c.mainFirmware = false;
            break;
        case SimFirmware::Update:
            c.runningVersion = "2.00u";
            c.secondVersion = "1.00";
            c.mainFirmware = false;
            break;
        case SimFirmware::Old:
            c.runningVersion = "1.05";
            c.secondVersion = "1.00";
            c.cableDetect = false;
            c.idFunction = false;
            c.revert = false;
            break;
    }
    return c;
}

std::array<std::uint8_t, 13> SimStatus::Encode() const {
    std::array<std::uint8_t, 13> out{};
    PutSimLe16(&out[0], width);
    PutSimLe16(&out[2], height);
    PutSimLe16(&out[4], static_cast<std::uint16_t>(fpgaTemp));
    PutSimLe16(&out[6], static_cast<std::uint16_t>(mcuTemp));
    PutSimLe16(&out[8], voltage);
    PutSimLe16(&out[10], frameRate);
    out[12] = scanning;
    return out;
}

const SimFormatInfo* FindSimFormat(std::uint8_t code) {
    return code < kFormats.size() ? &kFormats[code] : nullptr;
}

std::uint16_t SimPhaseDefault(std::uint8_t code) {
    return code < kPhaseDefaults.size() ? kPhaseDefaults[code] : kPhaseBeyondTable;
}

std::vector<std::uint16_t> SimFactoryAdjustments(SimKind kind, std::uint8_t code) {
    if (kind == SimKind::Rgb) {
        const SimFormatInfo* f = FindSimFormat(code);
        const std::uint16_t lineTotal = f ? f->lineTotal : kDefaultLineTotal;
        return {500, 50, lineTotal, 74, 74, 74, 1, 512, 512, 512, 1, 0, SimPhaseDefault(code)};
    }
    if (kind == SimKind::Ntsc) {
        return {128, 128, 128, 128};
    }
    return {};
}

std::uint16_t SimAdjustmentMax(SimKind kind, int index) {
    if (kind == SimKind::Rgb && index >= 0 && index < kSimRgbAdjustments) {
        return kRgbMax[static_cast<size_t>(index)];
    }
    if (kind == SimKind::Ntsc && index >= 0 && index < kSimNtscAdjustments) {
        return 255;
    }
    return 0;
}

const char* SimKindName(SimKind kind) {
    return KindName(kind);
}

bool ParseSimKind(const std::string& text, SimKind* kind) {
    // Written exactly as the kind's name: the simulator's options take no other case.
    const std::optional<Kind> k = KindFromName(text);
    if (!k || text != KindName(*k)) {
        return false;
    }
    *kind = *k;
    return true;
}

}  // namespace vexilo
