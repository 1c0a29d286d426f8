#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "protocol/converter_kind.h"
#include "protocol/id_record.h"

// The rules of the ID function group: which converters support it, what each field may hold,
// the model name and the automatic ID and Name. Texts are byte strings: SN, model name and ID are
// ASCII once they pass these rules, Name is UTF-8.
namespace vexilo::model {

inline constexpr int kSnDigits = 8;            // SN: "0" to "9", at most 8
inline constexpr int kIdChars = 16;            // ID: "A"-"Z", "0"-"9", "_", at most 16
inline constexpr int kNameBytes = kIdNameMax;  // Name: at most 80 bytes of UTF-8
inline constexpr std::uint16_t kIdMinFpga = 0x00AA;

// The ID function needs a series code that was read (not 0xFF) and FPGA 0x0AA to 0xFFF.
bool IdFunctionSupported(std::uint8_t series, std::uint16_t fpgaVersion);

// "KTP-RGB-SDI" / "KTQ-NTSC-SDI" by series code and kind; empty for a kind without an ID model
// part. A failed series query (0xFF) counts as "KTP".
std::string MakeModelName(std::uint8_t series, Kind kind);

// Typing rules: each keeps what the field may hold and stops at its maximum.
std::string FilterSnDigits(std::string_view text);
// FilterSnDigits, then "0"s in front up to 8 digits; an empty SN stays empty.
std::string PadSn(std::string_view text);
// Lower-case letters become upper case; keeps "A"-"Z", "0"-"9", "_".
std::string FilterIdText(std::string_view text);
// Removes whole characters from the end until the UTF-8 text has at most 80 bytes.
std::string LimitNameUtf8(std::string_view text);
// The ID and Name the SN fills in: the model name without "-SDI" and dashes, "_", the padded
// SN ("KTPRGB_00001234"); empty when the kind has no model name.
std::string AutoFillText(std::uint8_t series, Kind kind, std::string_view sn);

// The DID as "0x%02X"; a value outside 0x50-0x5F shows as 0x5F.
std::string DidText(std::uint8_t did);
// A DID text read as an unsigned number with its prefix's base ("0x" hex, leading "0" octal, else
// decimal), whole and within 0x50-0x5F.
std::optional<std::uint8_t> ParseDid(std::string_view text);

// The ID group's fields as the block stores them (SN, model and ID in the converter's code page,
// Name in UTF-8).
struct IdFields {
    bool enabled = false;
    std::uint8_t did = kIdDidDefault;
    std::string sn;
    std::string model;
    std::string id;
    std::string name;
};

// The fields of a block (texts up to their terminators; DID as stored).
IdFields IdFieldsOf(const IdBlock& block);

enum class IdBlockError {
    kNone,
    kTooLong,  // a text does not fit its field
    kInvalid,  // the record coding refuses it (DID range, a byte of 0x80 or above)
};
// Builds the block the converter stores from `fields`, checked as the record coding checks it.
IdBlockError ComposeIdBlock(const IdFields& fields, IdBlock& block);

}  // namespace vexilo::model
