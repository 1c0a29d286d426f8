#include "cli/settings_io.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

namespace vexilo::cli {

bool ReadConverterState(Converter& c, Report& r, model::SettingsSnapshot& snapshot,
                        model::IdGroup& id) {
    std::vector<const model::Setting*> all;
    for (const model::Setting& s : c.Kind().settings) {
        all.push_back(&s);
    }
    if (model::Outcome res = c.device->ReadSettings(all, snapshot); !res) {
        r.Fail(res.error);
        return false;
    }
    // Asked again even when identification found no ID function: a lost reply to the series
    // query must not pass for a converter without one.
    if (model::Outcome res = ReadId(*c.device, id); !res) {
        r.Fail(res.error);
        return false;
    }
    if (id.supported && !id.read) {
        r.Fail("the ID record could not be read (no answer)");
        return false;
    }
    return true;
}

std::string DumpJson(const Json& json) {
    return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

bool ReadTextFile(const std::string& path, std::size_t limit, std::string& text,
                  std::string& error) {
    std::ifstream file;
    if (path != "-") {
        file.open(path, std::ios::binary);
        if (!file) {
            error = std::strerror(errno);
            return false;
        }
    }
    std::istream& in = path == "-" ? std::cin : file;
    text.clear();
    std::array<char, 64 * 1024> chunk{};
    while (text.size() < limit && in) {
        in.read(chunk.data(), static_cast<std::streamsize>(
                                  std::min<std::size_t>(chunk.size(), limit - text.size())));
        text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        error = "cannot be read";
        return false;
    }
    return true;
}

}  // namespace vexilo::cli
