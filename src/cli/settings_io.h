#pragma once

#include <string>

#include "cli/session.h"
#include "model/converter.h"

// What backup and apply share: reading a converter's whole state, and the file on disk.
namespace vexilo::cli {

// Every setting of the converter's kind and, where the ID function is supported, its ID record.
// False with the report failed when the converter did not answer, or when its ID record, or
// whether it has one, could not be read.
bool ReadConverterState(Converter& c, Report& r, model::SettingsSnapshot& snapshot,
                        model::IdGroup& id);

// Indented JSON; bytes that are not UTF-8 (a converter's Name may hold any) become U+FFFD.
std::string DumpJson(const Json& json);

// Writes `text` to a new file of a unique name beside `path`, syncs it, then renames it over
// `path`: a reader never sees a half-written file, a failed write leaves the old one, a link at
// `path` is replaced rather than followed, and the old file's mode is kept.
// (settings_io_posix.cpp, settings_io_win32.cpp)
bool WriteFileReplacing(const std::string& path, const std::string& text, std::string& error);
// The file, or stdin for "-", up to `limit` bytes: what lies beyond is never read.
bool ReadTextFile(const std::string& path, std::size_t limit, std::string& text,
                  std::string& error);

}  // namespace vexilo::cli
