#include "cli/settings_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace vexilo::cli {

bool ReadConverterState(Converter& c, Report& r, model::SettingsSnapshot& snapshot,
                        model::IdRecord& id) {
    std::vector<const model::Setting*> all;
    for (const model::Setting& s : c.Kind().settings) {
        all.push_back(&s);
    }
    if (model::OpResult res = model::ReadSettings(*c.link, c.Kind(), all, snapshot); !res) {
        r.Fail(res.error);
        return false;
    }
    // Asked again even when identification found no ID function: a lost reply to the series
    // query must not pass for a converter without one.
    if (model::OpResult res = model::ReadIdRecord(*c.link, c.identity, id); !res) {
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

bool WriteFileReplacing(const std::string& path, const std::string& text, std::string& error) {
    const std::string temporary = path + ".partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            error = std::strerror(errno);
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

bool ReadTextFile(const std::string& path, std::string& text, std::string& error) {
    if (path == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

}  // namespace vexilo::cli
