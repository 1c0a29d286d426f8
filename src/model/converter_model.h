#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "protocol/converter_kind.h"
#include "protocol/device_requests.h"

// What the panel knows about each kind of converter, as data: one row per kind (its names and
// model strings, which page shows it, its settings: where they live on the converter, their
// ranges and the page's mapping of spin positions to converter values, their factory values),
// and the start-up identification rules. The pages and vexiloctl both read it; nothing here
// talks to a converter (see model/converter.h).
namespace vexilo::model {

// Where a setting lives on the converter.
enum class Area {
    kOutput,      // a byte of the output settings block (0x07 / 0x08); `index` is the byte
    kAdjustment,  // an entry of the current input format's adjustment table; `index` is its index
    kCableDetect  // the +5V cable-detect setting (0x14 / 0x15)
};

// A named value of a setting ("59.94p", "on").
struct Choice {
    const char* name;
    int value;
};

inline constexpr int kFactoryPerFormat = -100000;  // `factory` of a setting whose factory value
                                                   // depends on the input format (RGB phase)

struct Setting {
    const char* name;   // on the command line and in files
    const char* label;  // what it is, for help texts
    Area area;
    std::uint8_t index;
    int lower;  // range of the value as shown (the page's spin position)
    int upper;
    int base;  // converter value = base + sign * shown value
    int sign;  // +1, or -1 where a higher position is a lower converter value
    int factory;
    const char* unit;                 // "" when the value has none
    std::span<const Choice> choices;  // empty: a plain number
    bool writable = true;             // false: the page only shows it
    bool boolean = false;             // any nonzero converter value reads as 1
    int autoSwitch = -1;  // adjustment index of the Auto switch that must be off to set it

    bool PerFormat() const { return area == Area::kAdjustment; }
    std::uint16_t ToWire(int shown) const {
        return static_cast<std::uint16_t>(base + sign * shown);
    }
    // The shown value of a converter value; may lie outside the range when the converter holds a
    // value the page never writes.
    int FromWire(std::uint16_t wire) const {
        if (boolean) {
            return wire != 0 ? 1 : 0;
        }
        return sign * (static_cast<int>(wire) - base);
    }
    // The factory value shown, for the input format `format` where it depends on one.
    int FactoryValue(std::uint8_t format) const;
    // The choice name of `shown`, or nullptr.
    const char* ChoiceName(int shown) const;
    // "-437..74", or "on|off" for named values.
    std::string RangeText() const;
};

// The page that shows a converter; pages/model_pages.cpp builds each one.
enum class Page : std::uint8_t {
    kDvi,        // output settings and cable detect
    kRgb,        // analog RGB adjustments
    kComposite,  // composite (NTSC) adjustments
};

// Everything the panel knows of one converter kind: a row of the kind registry.
struct KindModel {
    vexilo::Kind kind;
    Page page;
    const char* pageModel;    // the page's model string, "KTP-RGB-SDI"
    const char* modelText;    // "RGB-SDI": the main window's caption after the series prefix
    const char* idModelPart;  // "RGB" for the ID model name; nullptr: the name stays empty
    std::span<const Setting> settings;
    int adjustmentCount;       // entries read per input format (RGB 13, composite 4, else 0)
    bool cableDetect;          // the DVI page's cable-detect setting
    bool oldFirmwareNoRevert;  // the DVI page: firmware 0.x/1.x cannot revert

    // "rgb", "dvi", "ntsc", "other": in files and on the command line.
    const char* Name() const { return KindName(kind); }
    // The setting called `name`, or nullptr.
    const Setting* Find(std::string_view name) const;
    bool HasAdjustments() const { return adjustmentCount > 0; }
};

// The row of `kind`; a value outside the enumeration gets Other's (the DVI page).
const KindModel& KindOf(Kind kind);
// By name ("rgb", any case); nullptr when no kind has that name.
const KindModel* KindByName(std::string_view name);
// Every kind's row, in the order of kKindIdentities.
std::span<const KindModel> AllKinds();

// RGB adjustment indexes (index 2 is the converter's own: read, never shown or written).
enum : std::uint8_t {
    kRgbHPos = 0,
    kRgbVPos = 1,
    kRgbGainR = 3,
    kRgbGainG = 4,
    kRgbGainB = 5,
    kRgbOffsetAuto = 6,
    kRgbOffsetR = 7,
    kRgbOffsetG = 8,
    kRgbOffsetB = 9,
    kRgbSyncAuto = 10,
    kRgbSyncType = 11,
    kRgbPhase = 12,
    kRgbAdjustmentCount = 13,
};
// Composite adjustment indexes.
enum : std::uint8_t {
    kCvbsBrightness = 0,
    kCvbsContrast = 1,
    kCvbsHue = 2,
    kCvbsSaturation = 3,
    kCvbsAdjustmentCount = 4,
};

// The setting of `kind` at adjustment `index`; nullptr when there is none.
const Setting* AdjustmentSetting(const KindModel& kind, std::uint8_t index);

// Factory phase of an input format code; 16, the value of the table's highest codes, beyond it.
std::uint16_t RgbPhaseDefault(std::uint8_t code);

// Output settings as the page takes them from the converter: a format above 1 is 1, a level
// above 1 is 0, a scaler mode above 2 is 0.
requests::OutputSettings SanitizeOutputSettings(const requests::OutputSettings& reply);
// The output settings of the factory-settings button: 59.94p, Level-A, always scale.
inline constexpr requests::OutputSettings kFactoryOutput{1, 0, 0};

// Parses `text` as a value of `setting`: a choice name (any case) or an integer within the range.
// On refusal, `error` names the allowed range.
std::optional<int> ParseValue(const Setting& setting, std::string_view text, std::string& error);
// The value as the command line writes it: the choice name, else the number.
std::string ValueText(const Setting& setting, int shown);

// ---- Start-up identification ----

inline constexpr int kVersionTextSize = 16;  // bytes of each firmware version text
inline constexpr std::uint16_t kFpgaNotRead = 0xF000;
inline constexpr std::uint8_t kVersionRunning = 0;
inline constexpr std::uint8_t kVersionSecond = 1;
inline constexpr std::uint8_t kVersionBoard = 2;
inline constexpr std::uint8_t kVersionFpga = 3;

// The text of a zero-terminated field: its bytes up to the first zero, at most `max` of them.
std::string FieldText(const std::uint8_t* bytes, std::size_t max);

enum class Firmware {
    kMain,         // the main firmware runs
    kNotMain,      // both version texts are equal: not the main firmware
    kBootUpdater,  // the running text contains "u": the boot-update firmware
};
Firmware CheckFirmware(std::string_view running, std::string_view second);
// Firmware 0.x and 1.x: the DVI page's cancel cannot revert on it.
bool IsOldFirmware(std::string_view running);
// An FPGA version with a bit of 0xF000 set was not read.
inline bool FpgaKnown(std::uint16_t fpga) {
    return (fpga & 0xF000) == 0;
}
// "KTP" for a series code other than 0, "KTQ" for 0; nothing for a failed query (0xFF).
const char* SeriesPrefix(std::uint8_t series);
// The main window's model string: "KTP-RGB-SDI", "KTQ-NTSC-SDI", "DVI-SDI" (series unknown).
std::string ModelString(std::uint8_t series, Kind kind);

}  // namespace vexilo::model
