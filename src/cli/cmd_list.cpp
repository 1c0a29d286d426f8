// vexiloctl list: what each converter is, and its ID settings.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "model/operations.h"

namespace vexilo::cli {

namespace {

Json IdJson(const model::IdRecord& record) {
    Json j;
    j["supported"] = record.supported;
    if (!record.supported) {
        return j;
    }
    j["read"] = record.read;
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
                    model::IdRecord record;
                    if (model::OpResult res = model::ReadIdRecord(*c.link, c.identity, record);
                        !res) {
                        r.Fail(res.error);
                        return;
                    }
                    r.fields = IdentityJson(c.identity);
                    r.fields["id_function"] = IdJson(record);
                },
                [](std::ostream& out, const std::vector<const Converter*>& ok,
                   const std::vector<const Report*>& reports) {
                    Table t({"PORT", "KIND", "MODEL", "FIRMWARE", "FPGA", "BOARD", "ID-FUNCTION",
                             "DID", "SN", "ID", "NAME"});
                    for (std::size_t i = 0; i < ok.size(); ++i) {
                        const Json& f = reports[i]->fields;
                        const Json& id = f.at("id_function");
                        const bool supported = id.at("supported").get<bool>();
                        const auto field = [&](const char* key) {
                            return supported ? Or(id.at(key)) : std::string("-");
                        };
                        t.Row({ok[i]->label, ok[i]->Kind().name, ok[i]->identity.model,
                               ok[i]->identity.runningVersion + "/" + ok[i]->identity.secondVersion,
                               Or(f.at("fpga_version")), Or(f.at("board_revision")),
                               !supported                     ? "unsupported"
                               : id.at("enabled").get<bool>() ? "on"
                                                              : "off",
                               field("did"), field("sn"), field("id"), field("name")});
                    }
                    t.Print(out);
                });
        };
    });
}

}  // namespace vexilo::cli
