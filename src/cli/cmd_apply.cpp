// vexiloctl apply FILE [--check] [--save] [--with-identity]: brings converters to a settings
// file's state, sending only what differs.
#include <CLI/CLI.hpp>
#include <atomic>

#include "cli/commands.h"
#include "cli/settings_io.h"
#include "model/settings_file.h"

namespace vexilo::cli {

namespace {

struct ApplyOptions {
    std::string path;
    bool check = false;
    bool save = false;
    bool withIdentity = false;
};

std::string Text(const Json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string KindMismatch(const model::ConverterSettings& entry, const Converter& c) {
    return std::string("the file is for ") + entry.kind->name + " converters, this is a " +
           c.Kind().name + " converter; nothing was sent";
}

void Step(const model::SettingsFile& file, const ApplyOptions& o, Converter& c, Report& r,
          std::atomic<bool>& anyChange) {
    model::SettingsSnapshot snapshot;
    model::IdRecord id;
    if (!ReadConverterState(c, r, snapshot, id)) {
        return;
    }
    const model::ConverterSettings* entry =
        model::FindEntry(file, c.label, id.read ? id.fields.id : std::string());
    if (entry == nullptr) {
        r.Fail("no entry of the file is for this converter (by port or by ID); nothing was sent");
        return;
    }
    if (entry->kind != &c.Kind()) {
        r.Fail(KindMismatch(*entry, c));
        return;
    }
    const model::ApplyPlan plan = model::PlanApply(*entry, snapshot, id, o.withIdentity);
    Json changes = Json::array();
    for (const model::SettingChange& ch : plan.changes) {
        changes.push_back({{"setting", ch.name}, {"from", ch.from}, {"to", ch.to}});
    }
    Json skipped = Json::array();
    for (const model::Skipped& s : plan.skipped) {
        skipped.push_back({{"what", s.what}, {"reason", s.reason}});
    }
    r.fields["changes"] = std::move(changes);
    r.fields["skipped"] = std::move(skipped);
    r.fields["changed"] = plan.Any() && !o.check;
    r.fields["saved"] = false;
    if (!plan.Any()) {
        return;
    }
    anyChange = true;
    if (o.check) {
        return;
    }
    if (model::OpResult res = model::WriteSettings(*c.link, c.Kind(), plan.writes); !res) {
        r.Fail(res.error);
        return;
    }
    if (plan.id.Any()) {
        bool written = false;
        if (model::OpResult res = model::WriteIdRecord(*c.link, c.identity, id, plan.id, written);
            !res) {
            r.Fail("ID group: " + res.error);
            return;
        }
    }
    if (o.save) {
        if (model::OpResult res = model::Save(*c.link, c.identity); !res) {
            r.Fail("save: " + res.error);
            return;
        }
        r.fields["saved"] = true;
    }
}

void PrintText(std::ostream& out, const ApplyOptions& o, const std::vector<const Converter*>& ok,
               const std::vector<const Report*>& reports) {
    for (std::size_t i = 0; i < ok.size(); ++i) {
        const std::string& port = ok[i]->label;
        const Json& f = reports[i]->fields;
        for (const Json& ch : f.at("changes")) {
            out << port << ": " << Text(ch.at("setting")) << ": " << Text(ch.at("from")) << " -> "
                << Text(ch.at("to")) << '\n';
        }
        for (const Json& s : f.at("skipped")) {
            out << port << ": " << Text(s.at("what")) << " skipped: " << Text(s.at("reason"))
                << '\n';
        }
        const std::size_t n = f.at("changes").size();
        if (n == 0) {
            out << port << ": nothing differs\n";
        } else if (o.check) {
            out << port << ": " << n << " difference(s); --check: nothing was sent\n";
        } else if (f.at("saved").get<bool>()) {
            out << port << ": " << n << " change(s) made and saved\n";
        } else {
            out << port << ": " << n
                << " change(s) made (not saved yet; --save or 'vexiloctl save' stores them)\n";
        }
    }
}

int Run(Session& session, const ApplyOptions& o) {
    std::string text;
    std::string error;
    const std::string source = o.path == "-" ? "stdin" : o.path;
    if (!ReadTextFile(o.path, model::kMaxSettingsFileBytes + 1, text, error)) {
        return session.Usage(source + ": " + error + "; nothing was sent");
    }
    const auto file = model::ParseSettingsFile(text, error);
    if (!file) {
        return session.Usage(source + ": " + error + "; nothing was sent");
    }
    if (const int code = session.Select(!o.check); code != kExitOk) {
        return code;
    }
    if (o.withIdentity && file->converters.size() == 1 && session.Selected().size() > 1) {
        return session.Usage("--with-identity would give " +
                             std::to_string(session.Selected().size()) +
                             " converters the same SN, ID and Name; select one converter with "
                             "--port, or use a file with an entry per converter; nothing was sent");
    }
    // Entries found by port (or the only one) are checked for their kind before a port opens;
    // entries keyed by ID are checked once the converter's ID is read, still before any write.
    for (const Converter& c : session.Selected()) {
        const model::ConverterSettings* entry = model::FindEntry(*file, c.label, std::string());
        if (entry != nullptr && entry->kind != &c.Kind()) {
            return session.Usage(c.label + ": " + KindMismatch(*entry, c));
        }
    }
    session.Open();
    std::atomic<bool> anyChange{false};
    session.Run([&](Converter& c, Report& r) { Step(*file, o, c, r, anyChange); });
    const int code = session.Print(
        "apply",
        [&o](std::ostream& out, const std::vector<const Converter*>& ok,
             const std::vector<const Report*>& reports) { PrintText(out, o, ok, reports); });
    if (code != kExitOk) {
        return code;
    }
    return anyChange ? kExitChanged : kExitOk;
}

}  // namespace

void AddApplyCommand(CLI::App& app, Session& session, Action& action) {
    auto o = std::make_shared<ApplyOptions>();
    CLI::App* sub = app.add_subcommand(
        "apply",
        "Bring the selected converters to a settings file's state, sending only the settings "
        "that differ. Exit code 0: nothing differed; 5: differences found (--check) or changed");
    sub->add_option("FILE", o->path, "Settings file (- for stdin); see docs/settings-file.md")
        ->required();
    sub->add_flag("--check", o->check, "Send nothing: print what would change");
    sub->add_flag("--save", o->save, "Make the converter store what this apply changed");
    sub->add_flag("--with-identity", o->withIdentity,
                  "Also apply the ID group's SN, ID and Name (left as the converter holds them "
                  "otherwise)");
    sub->callback([&session, &action, o] { action = [&session, o] { return Run(session, *o); }; });
}

}  // namespace vexilo::cli
