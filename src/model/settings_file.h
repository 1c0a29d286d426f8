#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/converter_model.h"
#include "model/id_rules.h"
#include "model/operations.h"

// Settings files: a converter's settings as JSON, to back them up, restore them, copy them to a
// replacement unit and check a converter against them (docs/settings-file.md). Nothing here talks
// to a converter: the file is built from what ReadSettings and ReadIdRecord read, and an apply is
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
// format was current, the ID group when it was read.
ConverterSettings CaptureSettings(const std::string& port, const Identity& identity,
                                  const SettingsSnapshot& snapshot, const IdRecord& idRecord);

// The entry that applies to a converter: the only one of a one-entry file, else the one keyed by
// its port label, else the one whose ID group has the converter's ID. nullptr: none.
const ConverterSettings* FindEntry(const SettingsFile& file, const std::string& port,
                                   const std::string& converterId);

// One difference between the converter and the file.
struct SettingChange {
    std::string name;  // setting name, or "id.enabled", "id.did", "id.sn", "id.id", "id.name"
    SettingsJson from;
    SettingsJson to;
};
struct Skipped {
    std::string what;  // "adjustments", "cable_detect", "id_group"
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
// current input format is the file's; SN, ID and Name only `withIdentity`.
ApplyPlan PlanApply(const ConverterSettings& wanted, const SettingsSnapshot& current,
                    const IdRecord& idRecord, bool withIdentity);

}  // namespace vexilo::model
