#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/converter_model.h"
#include "model/id_rules.h"

// Checks of values typed by a user or read from a file, before anything is sent to a converter:
// settings as NAME=VALUE and changes of the ID group. The operations that send them are
// model::Converter's (model/converter.h).
namespace vexilo::model {

// A checked new value.
struct Assignment {
    const Setting* setting = nullptr;
    int value = 0;
};

// Checks "name=value" against the kind's model; on refusal `error` names the allowed values.
std::optional<Assignment> ParseAssignment(const KindModel& kind, std::string_view text,
                                          std::string& error);

// Changes of the ID group; fields left empty keep the converter's value.
struct IdChanges {
    std::optional<bool> enabled;
    std::optional<std::uint8_t> did;
    std::optional<std::string> sn;    // digits only, padded to 8
    std::optional<std::string> id;    // "A"-"Z", "0"-"9", "_"
    std::optional<std::string> name;  // UTF-8

    bool Any() const { return enabled || did || sn || id || name; }
};
// Checks typed values with the page's field rules before anything is sent: an SN of 1 to 8
// digits (padded), an ID of at most 16 of its characters (lower case allowed), a Name of valid
// UTF-8 within 80 bytes, a DID of 0x50-0x5F given as text. On refusal `error` says why.
std::optional<IdChanges> CheckIdChanges(const std::optional<std::string>& enable,
                                        const std::optional<std::string>& did,
                                        const std::optional<std::string>& sn,
                                        const std::optional<std::string>& id,
                                        const std::optional<std::string>& name, std::string& error);
// The record with the changes merged in, the model name set and ID and Name filled from a new SN
// when both were empty, as the page does.
IdFields MergeIdChanges(const IdFields& current, const IdChanges& changes, std::uint8_t series,
                        Kind kind);

}  // namespace vexilo::model
