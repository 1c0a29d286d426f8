// vexiloctl id [--enable on|off] [--did 0x5n] [--sn] [--id] [--name]: the ID function settings.
#include <CLI/CLI.hpp>
#include <optional>

#include "cli/commands.h"
#include "model/converter.h"

namespace vexilo::cli {

namespace {

struct IdOptions {
    std::optional<std::string> enable;
    std::optional<std::string> did;
    std::optional<std::string> sn;
    std::optional<std::string> id;
    std::optional<std::string> name;
};

Json FieldsJson(const model::IdFields& f) {
    return {{"enabled", f.enabled}, {"did", model::DidText(f.did)}, {"sn", f.sn}, {"id", f.id},
            {"name", f.name},       {"model_name", f.model}};
}

int Run(Session& session, const IdOptions& o) {
    std::string error;
    const auto changes = model::CheckIdChanges(o.enable, o.did, o.sn, o.id, o.name, error);
    if (!changes) {
        return session.Usage(error + "; nothing was sent");
    }
    if (const int code = session.Select(changes->Any()); code != kExitOk) {
        return code;
    }
    session.Open();
    session.Run([&changes](Converter& c, Report& r) {
        model::IdGroup record;
        if (model::Outcome res = ReadId(*c.device, record); !res) {
            r.Fail(res.error + (changes->Any() ? "; nothing was sent" : ""));
            return;
        }
        r.fields["supported"] = record.supported;
        if (changes->Any()) {
            bool written = false;
            if (model::Outcome res = c.device->WriteId(*changes, written); !res) {
                r.Fail(res.error);
                return;
            }
            r.fields["written"] = written;
            // What the converter holds now: the store keeps what it does not know of the record.
            model::IdGroup now;
            if (model::Outcome res = ReadId(*c.device, now); !res || !now.read) {
                r.fields["read"] = false;
                r.FailPartway(std::string(written ? "written" : "nothing needed writing") +
                              ", but the record could not be read back" +
                              (res ? std::string() : ": " + res.error));
                return;
            }
            r.fields["read"] = true;
            r.fields.update(FieldsJson(now.fields));
        } else if (record.supported) {
            r.fields["read"] = record.read;
            if (!record.read) {
                r.FailPartway("the ID record could not be read (no answer)");
                return;
            }
            r.fields.update(FieldsJson(record.fields));
        }
    });
    return session.Print("id", [](std::ostream& out, const std::vector<const Converter*>& ok,
                                  const std::vector<const Report*>& reports) {
        Table t({"PORT", "ID-FUNCTION", "DID", "SN", "ID", "NAME", "WRITTEN"});
        for (std::size_t i = 0; i < ok.size(); ++i) {
            const Json& f = reports[i]->fields;
            const std::string written = !f.contains("written")        ? "-"
                                        : f.at("written").get<bool>() ? "yes"
                                                                      : "no (unchanged)";
            if (!f.at("supported").get<bool>()) {
                t.Row({ok[i]->label, "unsupported", "-", "-", "-", "-", "-"});
                continue;
            }
            if (!f.value("read", true)) {
                t.Row({ok[i]->label, "not read", "-", "-", "-", "-", written});
                continue;
            }
            t.Row({ok[i]->label, f.at("enabled").get<bool>() ? "on" : "off",
                   f.at("did").get<std::string>(), f.at("sn").get<std::string>(),
                   f.at("id").get<std::string>(), f.at("name").get<std::string>(), written});
        }
        t.Print(out);
    });
}

}  // namespace

void AddIdCommand(CLI::App& app, Session& session, Action& action) {
    auto o = std::make_shared<IdOptions>();
    CLI::App* sub = app.add_subcommand(
        "id",
        "Show the ID function settings, or change them (written at once, only when the "
        "converter's record changes)");
    sub->add_option("--enable", o->enable, "ID function on or off")->type_name("on|off");
    sub->add_option("--did", o->did, "Data identifier, 0x50 to 0x5F")->type_name("0x5n");
    sub->add_option("--sn", o->sn,
                    "Serial number, up to 8 digits (padded with zeros); fills ID and Name when "
                    "both are empty")
        ->type_name("DIGITS");
    sub->add_option("--id", o->id, "ID, up to 16 of A-Z, 0-9, _")->type_name("TEXT");
    sub->add_option("--name", o->name, "Name, up to 80 bytes of UTF-8")->type_name("TEXT");
    sub->callback([&session, &action, o] { action = [&session, o] { return Run(session, *o); }; });
}

}  // namespace vexilo::cli
