#pragma once

#include <string>

#include "cli/session.h"
#include "model/operations.h"

// What backup and apply share: reading a converter's whole state, and the file on disk.
namespace vexilo::cli {

// Every setting of the converter's kind and, where the ID function is supported, its ID record.
// False with the report failed when the converter did not answer, or when its ID record, or
// whether it has one, could not be read.
bool ReadConverterState(Converter& c, Report& r, model::SettingsSnapshot& snapshot,
                        model::IdRecord& id);

// Indented JSON; bytes that are not UTF-8 (a converter's Name may hold any) become U+FFFD.
std::string DumpJson(const Json& json);

// Writes `text` to a new file beside `path`, then renames it over `path`: a reader never sees a
// half-written file, and a failed write leaves the old one.
bool WriteFileReplacing(const std::string& path, const std::string& text, std::string& error);
// The whole file, or stdin for "-".
bool ReadTextFile(const std::string& path, std::string& text, std::string& error);

}  // namespace vexilo::cli
