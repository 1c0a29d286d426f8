#include "model/converter_model.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <iterator>

namespace vexilo::model {

namespace {

constexpr Choice kOutputFormats[] = {{"59.94i", 0}, {"59.94p", 1}};
constexpr Choice kSdiLevels[] = {{"a", 0}, {"b", 1}};
constexpr Choice kScalerModes[] = {{"always", 0}, {"sync", 1}};
constexpr Choice kOnOff[] = {{"off", 0}, {"on", 1}};
constexpr Choice kSyncTypes[] = {{"rgb", 0}, {"rgbs", 1}, {"rgbhv", 2}};

constexpr Setting Output(const char* name, const char* label, std::uint8_t byte, int upper,
                         int factory, std::span<const Choice> choices) {
    return {name, label, Area::kOutput, byte, 0, upper, 0, 1, factory, "", choices};
}
constexpr Setting Spin(const char* name, const char* label, std::uint8_t index, int lower,
                       int upper, int base, int sign, int factory = 0) {
    return {name, label, Area::kAdjustment, index, lower, upper, base, sign, factory, "", {}};
}
// Set by hand only while its Auto switch is off: the page disables it otherwise.
constexpr Setting Manual(Setting s, std::uint8_t autoSwitch) {
    s.autoSwitch = autoSwitch;
    return s;
}
constexpr Setting Switch(const char* name, const char* label, std::uint8_t index, bool writable) {
    return {name, label, Area::kAdjustment, index, 0, 1, 0, 1, 1, "", kOnOff, writable, true};
}

constexpr Setting kFormat = Output("output_format", "SDI output format (1920x1080)", 0, 1,
                                   kFactoryOutput.format, kOutputFormats);
constexpr Setting kLevel =
    Output("sdi_level", "3G-SDI level (1080p only)", 1, 1, kFactoryOutput.level, kSdiLevels);
constexpr Setting kScaler = Output("scaler", "scaler: always, or not when the output can sync", 2,
                                   1, kFactoryOutput.scaler, kScalerModes);
constexpr Setting kCable = {"cable_detect",
                            "+5V cable detection of the DVI input",
                            Area::kCableDetect,
                            0,
                            0,
                            1,
                            0,
                            1,
                            1,
                            "",
                            kOnOff,
                            true,
                            true};

// In the order the adjustment factory button sends them.
constexpr Setting kRgbSettings[] = {
    kFormat,
    kLevel,
    kScaler,
    Spin("hpos", "horizontal position", kRgbHPos, -500, 500, 500, 1),
    Spin("vpos", "vertical position", kRgbVPos, -50, 50, 50, 1),
    Spin("gain_r", "gain red", kRgbGainR, -437, 74, 74, -1),
    Spin("gain_g", "gain green", kRgbGainG, -437, 74, 74, -1),
    Spin("gain_b", "gain blue", kRgbGainB, -437, 74, 74, -1),
    Manual(Spin("offset_r", "offset red", kRgbOffsetR, -511, 512, 512, -1), kRgbOffsetAuto),
    Manual(Spin("offset_g", "offset green", kRgbOffsetG, -511, 512, 512, -1), kRgbOffsetAuto),
    Manual(Spin("offset_b", "offset blue", kRgbOffsetB, -511, 512, 512, -1), kRgbOffsetAuto),
    Spin("phase", "phase", kRgbPhase, 0, 31, 0, 1, kFactoryPerFormat),
    Manual({"sync_type", "sync signal: RGB (3 wires), RGBS (4), RGBHV (5)", Area::kAdjustment,
            kRgbSyncType, 0, 2, 0, 1, 0, "", kSyncTypes},
           kRgbSyncAuto),
    // The page only shows sync auto; the adjustment factory values switch it on.
    Switch("sync_auto", "automatic sync detection (shown only)", kRgbSyncAuto, false),
    Switch("offset_auto", "automatic offset", kRgbOffsetAuto, true),
};

// The composite page hides the scaler: the converter's value goes back unchanged.
constexpr Setting kCvbsSettings[] = {
    kFormat,
    kLevel,
    Spin("brightness", "brightness", kCvbsBrightness, -128, 127, 128, 1),
    Spin("contrast", "contrast", kCvbsContrast, -128, 127, 128, 1),
    Spin("hue", "hue", kCvbsHue, -128, 127, 128, 1),
    Spin("saturation", "saturation", kCvbsSaturation, -128, 127, 128, 1),
};

constexpr Setting kDviSettings[] = {kFormat, kLevel, kScaler, kCable};

constexpr std::array<std::uint16_t, 16> kPhaseDefaults{0,  16, 22, 24, 14, 14, 14, 16,
                                                       14, 16, 16, 16, 16, 16, 16, 16};
constexpr std::uint16_t kPhaseBeyondTable = 16;

// The kind registry: one row per row of kKindIdentities, in its order.
constexpr KindModel kKinds[] = {
    {Kind::Dvi, Page::kDvi, "KTP-DVI-SDI", "DVI-SDI", "DVI", kDviSettings, 0, true, true},
    {Kind::Rgb, Page::kRgb, "KTP-RGB-SDI", "RGB-SDI", "RGB", kRgbSettings, kRgbAdjustmentCount,
     false, false},
    {Kind::Ntsc, Page::kComposite, "KTP-NTSC-SDI", "NTSC-SDI", "NTSC", kCvbsSettings,
     kCvbsAdjustmentCount, false, false},
    {Kind::Other, Page::kDvi, "KTP-DVI-SDI", "DVI-SDI", nullptr, kDviSettings, 0, true, true},
};

constexpr bool EveryKindHasItsRow() {
    if (std::size(kKinds) != std::size(kKindIdentities)) {
        return false;
    }
    for (std::size_t i = 0; i < std::size(kKinds); ++i) {
        if (kKinds[i].kind != kKindIdentities[i].kind) {
            return false;
        }
    }
    return true;
}
static_assert(EveryKindHasItsRow(), "every kind of kKindIdentities needs its row, in its order");

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

int Setting::FactoryValue(std::uint8_t format) const {
    return factory == kFactoryPerFormat ? RgbPhaseDefault(format) : factory;
}

const char* Setting::ChoiceName(int shown) const {
    for (const Choice& c : choices) {
        if (c.value == shown) {
            return c.name;
        }
    }
    return nullptr;
}

std::string Setting::RangeText() const {
    if (!choices.empty()) {
        std::string text;
        for (const Choice& c : choices) {
            if (c.value >= lower && c.value <= upper) {
                text += (text.empty() ? "" : "|") + std::string(c.name);
            }
        }
        return text;
    }
    return std::to_string(lower) + ".." + std::to_string(upper);
}

const Setting* KindModel::Find(std::string_view wanted) const {
    for (const Setting& s : settings) {
        if (SameText(s.name, wanted)) {
            return &s;
        }
    }
    return nullptr;
}

const KindModel& KindOf(Kind kind) {
    for (const KindModel& k : kKinds) {
        if (k.kind == kind) {
            return k;
        }
    }
    return KindOf(Kind::Other);
}

const KindModel* KindByName(std::string_view name) {
    const std::optional<Kind> kind = KindFromName(name);
    return kind ? &KindOf(*kind) : nullptr;
}

std::span<const KindModel> AllKinds() {
    return kKinds;
}

const Setting* AdjustmentSetting(const KindModel& kind, std::uint8_t index) {
    for (const Setting& s : kind.settings) {
        if (s.area == Area::kAdjustment && s.index == index) {
            return &s;
        }
    }
    return nullptr;
}

std::uint16_t RgbPhaseDefault(std::uint8_t code) {
    return code < kPhaseDefaults.size() ? kPhaseDefaults[code] : kPhaseBeyondTable;
}

requests::OutputSettings SanitizeOutputSettings(const requests::OutputSettings& reply) {
    return {static_cast<std::uint8_t>(reply.format > 1 ? 1 : reply.format),
            static_cast<std::uint8_t>(reply.level > 1 ? 0 : reply.level),
            static_cast<std::uint8_t>(reply.scaler > 2 ? 0 : reply.scaler)};
}

std::optional<int> ParseValue(const Setting& setting, std::string_view text, std::string& error) {
    for (const Choice& c : setting.choices) {
        if (SameText(c.name, text) && c.value >= setting.lower && c.value <= setting.upper) {
            return c.value;
        }
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const char* begin = text.data();
    if (!text.empty() && *begin == '+') {
        ++begin;  // from_chars takes no plus sign
    }
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < setting.lower ||
        value > setting.upper) {
        error = std::string(setting.name) + ": '" + std::string(text) +
                "' is not allowed (allowed: " + setting.RangeText() + ")";
        return std::nullopt;
    }
    return value;
}

std::string ValueText(const Setting& setting, int shown) {
    if (const char* name = setting.ChoiceName(shown)) {
        return name;
    }
    return std::to_string(shown);
}

std::string FieldText(const std::uint8_t* bytes, std::size_t max) {
    const std::uint8_t* end = std::find(bytes, bytes + max, std::uint8_t{0});
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(end - bytes));
}

Firmware CheckFirmware(std::string_view running, std::string_view second) {
    if (running == second) {
        return Firmware::kNotMain;
    }
    if (running.find('u') != std::string_view::npos) {
        return Firmware::kBootUpdater;
    }
    return Firmware::kMain;
}

bool IsOldFirmware(std::string_view running) {
    return running.size() >= 2 && (running[0] == '0' || running[0] == '1') && running[1] == '.';
}

const char* SeriesPrefix(std::uint8_t series) {
    if (series == 0xFF) {
        return "";
    }
    return series != 0 ? "KTP" : "KTQ";
}

std::string ModelString(std::uint8_t series, Kind kind) {
    const std::string prefix = SeriesPrefix(series);
    return (prefix.empty() ? prefix : prefix + "-") + KindOf(kind).modelText;
}

}  // namespace vexilo::model
