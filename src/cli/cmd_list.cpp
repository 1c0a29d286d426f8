// vexiloctl list: what each converter is, and its ID settings.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "model/converter.h"

namespace vexilo::cli {

namespace {

// Fields of a record that was not read are null, never the defaults as if read.
Json IdJson(const model::IdGroup& record) {
    Json j;
    j["supported"] = record.supported;
    if (!record.supported) {
        return j;
    }
    j["read"] = record.read;
    if (!record.read) {
        for (const char* key : {"enabled", "did", "sn", "id", "name", "model_name"}) {
            j[key] = nullptr;
        }
        return j;
    }
    j["enabled"] = record.fields.enabled;
    j["did"] = model::DidText(record.fields.did);
    j["sn"] = record.fields.sn;
    j["id"] = record.fields.id;
    j["name"] = record.fields.name;
    j["model_name"] = record.fields.model;
    return j;
}

std::string Or(const Json& value, const std::string& none = "-") {
    if (value.is_null()) {
        return none;
    }
    return value.is_string() ? value.get<std::string>() : value.dump();
}

}  // namespace

void AddListCommand(CLI::App& app, Session& session, Action& action) {
    CLI::App* sub = app.add_subcommand(
        "list", "Each converter: port, kind, model, series, firmware, FPGA, board, ID settings");
    sub->callback([&session, &action] {
        action = [&session] {
            return RunOnConverters(
                session, "list", false,
                [](Converter& c, Report& r) {
                    r.fields = IdentityJson(c.device->Identified());
                    model::IdGroup record;
                    if (model::Outcome res = ReadId(*c.device, record); !res) {
                        r.fields["id_function"] = {{"supported", nullptr}, {"read", false}};
                        r.FailPartway(res.error);
                        return;
                    }
                    r.fields["id_function"] = IdJson(record);
                    if (record.supported && !record.read) {
                        r.FailPartway("the ID record could not be read (no answer)");
                    }
                },
                [](std::ostream& out, const std::vector<const Converter*>& ok,
                   const std::vector<const Report*>& reports) {
                    Table t({"PORT", "KIND", "MODEL", "FIRMWARE", "FPGA", "BOARD", "ID-FUNCTION",
                             "DID", "SN", "ID", "NAME"});
                    for (std::size_t i = 0; i < ok.size(); ++i) {
                        const Json& f = reports[i]->fields;
                        const Json& id = f.at("id_function");
                        const bool read = id.value("read", false);
                        const auto field = [&](const char* key) {
                            return read ? Or(id.at(key)) : std::string("-");
                        };
                        t.Row({ok[i]->label, ok[i]->Kind().Name(),
                               ok[i]->device->Identified().model,
                               ok[i]->device->Identified().runningVersion + "/" +
                                   ok[i]->device->Identified().secondVersion,
                               Or(f.at("fpga_version")), Or(f.at("board_revision")),
                               id.at("supported").is_null()      ? "unknown"
                               : !id.at("supported").get<bool>() ? "unsupported"
                               : !read                           ? "not read"
                               : id.at("enabled").get<bool>()    ? "on"
                                                                 : "off",
                               field("did"), field("sn"), field("id"), field("name")});
                    }
                    t.Print(out);
                });
        };
    });
}

}  // namespace vexilo::cli
