#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/converter.h"
#include "model/converter_model.h"
#include "model/id_rules.h"

// Settings files: a converter's settings as JSON, to back them up, restore them, copy them to a
// replacement unit and check a converter against them (docs/settings-file.md). Nothing here talks
// to a converter: the file is built from what ReadSettings and LoadId read, and an apply is
// planned as the writes that differ from it.
namespace vexilo::model {

inline constexpr char kSettingsFileFormat[] = "vexilo-settings";
inline constexpr int kSettingsFileVersion = 1;
// The largest file read: a full rack's backup is a small fraction of it.
inline constexpr std::size_t kMaxSettingsFileBytes = 1024 * 1024;

// The settings of one converter as a file holds them.
struct ConverterSettings {
    std::string port;  // the port label it was read from; may be empty in a hand-written file
    const KindModel* kind = nullptr;
    std::string model;                        // informative: "KTP-RGB-SDI"
    std::vector<Assignment> general;          // output settings and cable detect
    std::optional<std::uint8_t> inputFormat;  // the format the adjustments belong to
    std::vector<Assignment> adjustments;
    std::optional<IdFields> idGroup;  // `model` unused: the converter's kind sets it
};

struct SettingsFile {
    std::vector<ConverterSettings> converters;
};

using SettingsJson = nlohmann::ordered_json;

SettingsJson ToJson(const SettingsFile& file);
// Parses and checks a whole file: format and version, kinds, every setting name and value
// against the kind's model, the ID group with the page's field rules. A member given twice is
// refused, and so is a text over kMaxSettingsFileBytes. On refusal `error` says where and why
// (line and column for a syntax error).
std::optional<SettingsFile> ParseSettingsFile(std::string_view text, std::string& error);

// The file entry of a converter: its writable settings as read, the adjustments when an input
// format was current, the ID group when it was read. A setting behind an Auto switch that is on
// is left out: the converter sets it, and an apply could not bring it back.
ConverterSettings CaptureSettings(const std::string& port, const Identity& identity,
                                  const SettingsSnapshot& snapshot, const IdGroup& idRecord);

// The entry that applies to a converter by port: the only one of a one-entry file, else the one
// keyed by its port label, else the one whose ID group has the converter's ID. nullptr: none.
const ConverterSettings* FindEntry(const SettingsFile& file, const std::string& port,
                                   const std::string& converterId);

// An identity: the SN and ID of an ID group. An entry or a converter with neither holds none.
struct IdentityKey {
    std::string sn;
    std::string id;

    bool Any() const { return !sn.empty() || !id.empty(); }
    bool operator==(const IdentityKey&) const = default;
};
// "SN 00001234, ID CAM_1"; "no SN or ID" for none.
std::string IdentityText(const IdentityKey& key);
// The identity of an entry (none without an ID group).
IdentityKey EntryIdentity(const ConverterSettings& entry);

// A selected converter, as matching sees it.
struct ConverterKey {
    std::string port;
    IdentityKey identity;  // what its ID record holds (none without the ID function)
};

// Which entry of a file each converter takes. An entry that holds an identity belongs to the
// converter holding it, wherever it is plugged; a converter holding none of the file's
// identities takes the entry of its port (or the only entry of a one-entry file) when that entry
// holds no identity, and is refused when it holds another. `byPort` goes by port (FindEntry)
// whatever the converter holds. Two converters on one entry (a one-entry file without an
// identity excepted), or one converter on two, are refused.
struct EntryMatch {
    int entry = -1;     // index in the file; -1 when refused
    std::string how;    // "port", "identity", "only entry"
    std::string error;  // why it was refused
};
struct Matching {
    std::vector<EntryMatch> converters;  // in the order of the keys
    std::vector<std::size_t> unused;     // entries no converter takes
};
Matching MatchEntries(const SettingsFile& file, std::span<const ConverterKey> converters,
                      bool byPort);
// "converters[1] (ttyACM1, SN 00001234, ID CAM_1)": an entry as messages name it.
std::string EntryText(const SettingsFile& file, std::size_t index);

// One difference between the converter and the file.
struct SettingChange {
    std::string name;  // setting name, or "id.enabled", "id.did", "id.sn", "id.id", "id.name"
    const Setting* setting = nullptr;  // nullptr for the ID group's fields
    SettingsJson from;
    SettingsJson to;
};
struct Skipped {
    std::string what;  // "adjustments", "cable_detect", "id_group", or a setting's name
    std::string reason;
};

// What an apply sends: the settings that differ (in the order the file's kind lists them) and the
// ID group fields that differ.
struct ApplyPlan {
    std::vector<Assignment> writes;
    IdChanges id;
    std::vector<SettingChange> changes;
    std::vector<Skipped> skipped;

    bool Any() const { return !writes.empty() || id.Any(); }
};

// Compares the converter's state with `wanted`. Adjustments count only when the converter's
// current input format is the file's; SN, ID and Name only `withIdentity`. What the file holds
// but cannot be compared is listed in `skipped`.
ApplyPlan PlanApply(const ConverterSettings& wanted, const SettingsSnapshot& current,
                    const IdGroup& idRecord, bool withIdentity);

}  // namespace vexilo::model
