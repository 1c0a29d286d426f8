// vexiloctl apply FILE [--check] [--save] [--with-identity] [--by-port]: brings converters to a
// settings file's state, sending only what differs.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <csignal>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/settings_io.h"
#include "model/settings_file.h"

namespace vexilo::cli {

namespace {

struct ApplyOptions {
    std::string path;
    bool check = false;
    bool save = false;
    bool withIdentity = false;
    bool byPort = false;
};

// One converter through both phases: what was read, the entry it takes and what differs.
struct ConverterState {
    model::SettingsSnapshot snapshot;
    model::IdGroup id;
    const model::ConverterSettings* entry = nullptr;
    model::ApplyPlan plan;
    std::vector<bool> sent;  // by change of the plan
};

std::string Text(const Json& value) {
    return value.is_string() ? value.get<std::string>() : value.dump();
}

std::string SignalName(int signal) {
    return signal == SIGTERM ? "SIGTERM" : signal == SIGINT ? "SIGINT" : std::to_string(signal);
}

std::string KindMismatch(const model::ConverterSettings& entry, const Converter& c) {
    return std::string("the file is for ") + entry.kind->Name() + " converters, this is a " +
           c.Kind().Name() + " converter; nothing was sent";
}

std::string Join(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& n : names) {
        text += (text.empty() ? "" : ", ") + n;
    }
    return text;
}

// What was made and what not, for a message about an apply that stopped part-way.
std::string Progress(const ConverterState& s, bool save) {
    std::vector<std::string> made;
    std::vector<std::string> notSent;
    for (std::size_t i = 0; i < s.plan.changes.size(); ++i) {
        (s.sent[i] ? made : notSent).push_back(s.plan.changes[i].name);
    }
    std::string text = made.empty() ? "nothing was sent" : "made before it: " + Join(made);
    if (!made.empty() && !notSent.empty()) {
        text += "; not sent: " + Join(notSent);
    }
    return text + (save && !made.empty() ? "; nothing was saved" : "");
}

void MarkSent(ConverterState& s, const model::Setting* setting) {
    for (std::size_t i = 0; i < s.plan.changes.size(); ++i) {
        if (s.plan.changes[i].setting == setting && setting != nullptr) {
            s.sent[i] = true;
        }
    }
}

void MarkIdSent(ConverterState& s) {
    for (std::size_t i = 0; i < s.plan.changes.size(); ++i) {
        s.sent[i] = s.sent[i] || s.plan.changes[i].setting == nullptr;
    }
}

Json ChangesJson(const ConverterState& s) {
    Json changes = Json::array();
    for (std::size_t i = 0; i < s.plan.changes.size(); ++i) {
        const model::SettingChange& ch = s.plan.changes[i];
        changes.push_back(
            {{"setting", ch.name}, {"from", ch.from}, {"to", ch.to}, {"sent", s.sent[i]}});
    }
    return changes;
}

void Record(const ConverterState& s, Report& r) {
    r.fields["changes"] = ChangesJson(s);
    r.fields["changed"] = std::find(s.sent.begin(), s.sent.end(), true) != s.sent.end();
}

// The second phase on one converter: the writes, the ID group, the save; each only while no
// signal asked to stop.
void Send(const ApplyOptions& o, const InterruptGuard& interrupt, Converter& c, Report& r,
          ConverterState& s) {
    if (o.check || !s.plan.Any()) {
        return;
    }
    const auto stopped = [&] {
        if (!interrupt.Flag().load()) {
            return false;
        }
        Record(s, r);
        r.FailPartway("interrupted by " + SignalName(interrupt.Signal()) + ": " +
                      Progress(s, o.save));
        return true;
    };
    model::WriteProgress progress;
    progress.stop = &interrupt.Flag();
    const model::Outcome written = c.device->WriteSettings(s.plan.writes, &progress);
    // The output settings go first, in one command; then the others in the plan's order.
    const model::Setting* failedAt = nullptr;
    for (const bool output : {true, false}) {
        for (std::size_t i = 0; i < s.plan.writes.size(); ++i) {
            const model::Setting* setting = s.plan.writes[i].setting;
            if ((setting->area == model::Area::kOutput) != output) {
                continue;
            }
            if (progress.sent[i]) {
                MarkSent(s, setting);
            } else if (failedAt == nullptr) {
                failedAt = setting;
            }
        }
    }
    if (!written) {
        Record(s, r);
        r.FailPartway((failedAt != nullptr ? std::string(failedAt->name) + ": " : std::string()) +
                      written.error + "; " + Progress(s, o.save));
        return;
    }
    if (stopped()) {
        return;
    }
    if (s.plan.id.Any()) {
        bool sent = false;
        if (model::Outcome res = c.device->WriteId(s.plan.id, sent); !res) {
            Record(s, r);
            r.FailPartway("ID group: " + res.error + "; " + Progress(s, o.save));
            return;
        }
        MarkIdSent(s);
        if (stopped()) {
            return;
        }
    }
    Record(s, r);
    if (o.save) {
        if (model::Outcome res = c.device->Save(); !res) {
            r.FailPartway("save: " + res.error + "; every change was made, none was saved");
            return;
        }
        r.fields["saved"] = true;
    }
}

void PrintText(std::ostream& out, const ApplyOptions& o, const std::vector<const Converter*>& ok,
               const std::vector<const Report*>& reports, const Json& unused) {
    for (std::size_t i = 0; i < ok.size(); ++i) {
        const std::string& port = ok[i]->label;
        const Json& f = reports[i]->fields;
        if (!f.contains("changes")) {
            continue;
        }
        const Json& entry = f.at("entry");
        if (entry.at("matched_by") == "identity" && entry.at("port").is_string() &&
            entry.at("port") != port) {
            out << port << ": the file's entry for " << Text(entry.at("port"))
                << " applies: this converter holds its SN and ID\n";
        }
        std::size_t sent = 0;
        for (const Json& ch : f.at("changes")) {
            const bool wasSent = ch.at("sent").get<bool>();
            sent += wasSent ? 1 : 0;
            out << port << ": " << Text(ch.at("setting")) << ": " << Text(ch.at("from")) << " -> "
                << Text(ch.at("to")) << (o.check || wasSent ? "" : " (not sent)") << '\n';
        }
        for (const Json& s : f.at("skipped")) {
            out << port << ": " << Text(s.at("what")) << " skipped: " << Text(s.at("reason"))
                << '\n';
        }
        const std::size_t n = f.at("changes").size();
        const std::size_t skipped = f.at("skipped").size();
        out << port << ": ";
        if (n == 0) {
            out << (skipped == 0 ? std::string("nothing differs")
                                 : "nothing differs in what was compared; " +
                                       std::to_string(skipped) + " part(s) skipped")
                << (o.save && !o.check ? "; nothing was stored" : "") << '\n';
        } else if (o.check) {
            out << n << " difference(s); --check: nothing was sent\n";
        } else if (sent == 0) {
            out << "nothing was sent (" << n << " difference(s))\n";
        } else if (sent < n) {
            out << sent << " of " << n << " change(s) made; the rest was not sent"
                << (o.save ? "; nothing was saved" : "") << '\n';
        } else if (f.at("saved").get<bool>()) {
            out << n << " change(s) made and saved\n";
        } else if (o.save) {
            out << n << " change(s) made, not saved\n";
        } else {
            out << n << " change(s) made (not saved yet; --save or 'vexiloctl save' stores them)\n";
        }
    }
    for (const Json& u : unused) {
        out << Text(u.at("entry"))
            << ": no converter selected takes this entry; nothing of it was "
               "applied\n";
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
    const bool anyIdentity = std::any_of(
        file->converters.begin(), file->converters.end(),
        [](const model::ConverterSettings& e) { return model::EntryIdentity(e).Any(); });
    const bool shared = file->converters.size() == 1 && (o.byPort || !anyIdentity);
    if (o.withIdentity && shared && session.Selected().size() > 1) {
        return session.Usage("--with-identity would give " +
                             std::to_string(session.Selected().size()) +
                             " converters the same SN, ID and Name; select one converter with "
                             "--port, or use a file with an entry per converter; nothing was sent");
    }
    // Entries taken by port (or the only one) are checked for their kind before a port opens;
    // entries that follow an identity once the converters' ID records are read, still before
    // any write.
    if (o.byPort || !anyIdentity) {
        for (const Converter& c : session.Selected()) {
            const model::ConverterSettings* entry = model::FindEntry(*file, c.label, std::string());
            if (entry != nullptr && entry->kind != &c.Kind()) {
                return session.Usage(c.label + ": " + KindMismatch(*entry, c));
            }
        }
    }
    const InterruptGuard interrupt;
    session.Open();
    const auto& selected = session.Selected();
    std::vector<ConverterState> states(selected.size());
    const auto indexOf = [&](const Converter& c) {
        return static_cast<std::size_t>(&c - selected.data());
    };
    // Phase one: every converter is read before anything is sent to any of them, so that entries
    // are matched to converters as a whole.
    session.Run([&](Converter& c, Report& r) {
        ConverterState& s = states[indexOf(c)];
        ReadConverterState(c, r, s.snapshot, s.id);
    });
    std::vector<model::ConverterKey> keys;
    std::vector<std::size_t> keyOf;
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (session.Reports()[i].Ok()) {
            const model::IdGroup& id = states[i].id;
            keys.push_back({selected[i].label, id.read
                                                   ? model::IdentityKey{id.fields.sn, id.fields.id}
                                                   : model::IdentityKey{}});
            keyOf.push_back(i);
        }
    }
    const model::Matching matching = model::MatchEntries(*file, keys, o.byPort);
    bool anySkipped = !matching.unused.empty();
    bool anyDifference = false;
    Json unused = Json::array();
    for (const std::size_t j : matching.unused) {
        const model::ConverterSettings& e = file->converters[j];
        const model::IdentityKey id = model::EntryIdentity(e);
        unused.push_back({{"index", j},
                          {"entry", model::EntryText(*file, j)},
                          {"port", e.port.empty() ? Json(nullptr) : Json(e.port)},
                          {"sn", e.idGroup ? Json(id.sn) : Json(nullptr)},
                          {"id", e.idGroup ? Json(id.id) : Json(nullptr)}});
    }
    session.documentFields["unused_entries"] = unused;
    // Phase two: each converter its plan, then the writes.
    session.Run(
        [&](Converter& c, Report& r) {
            const std::size_t i = indexOf(c);
            const std::size_t k =
                static_cast<std::size_t>(std::find(keyOf.begin(), keyOf.end(), i) - keyOf.begin());
            const model::EntryMatch& match = matching.converters[k];
            if (match.entry < 0) {
                r.Fail(match.error);
                return;
            }
            ConverterState& s = states[i];
            s.entry = &file->converters[static_cast<std::size_t>(match.entry)];
            if (s.entry->kind != &c.Kind()) {
                r.Fail(KindMismatch(*s.entry, c));
                return;
            }
            s.plan = model::PlanApply(*s.entry, s.snapshot, s.id, o.withIdentity);
            s.sent.assign(s.plan.changes.size(), false);
            r.fields["entry"] = {
                {"index", match.entry},
                {"port", s.entry->port.empty() ? Json(nullptr) : Json(s.entry->port)},
                {"matched_by", match.how}};
            Json skipped = Json::array();
            for (const model::Skipped& sk : s.plan.skipped) {
                skipped.push_back({{"what", sk.what}, {"reason", sk.reason}});
            }
            r.fields["skipped"] = std::move(skipped);
            r.fields["saved"] = false;
            Record(s, r);
            Send(o, interrupt, c, r, s);
        },
        true);
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (states[i].entry != nullptr) {
            anySkipped = anySkipped || !states[i].plan.skipped.empty();
            anyDifference = anyDifference || !states[i].plan.changes.empty();
        }
    }
    const int signal = interrupt.Signal();
    if (signal != 0) {
        session.documentFields["interrupted"] = SignalName(signal);
    }
    const int code = session.Print(
        "apply",
        [&](std::ostream& out, const std::vector<const Converter*>& ok,
            const std::vector<const Report*>& reports) { PrintText(out, o, ok, reports, unused); });
    if (signal != 0) {
        return kExitSignal + signal;
    }
    if (code != kExitOk) {
        return code;
    }
    return anySkipped ? kExitSkipped : anyDifference ? kExitChanged : kExitOk;
}

}  // namespace

void AddApplyCommand(CLI::App& app, Session& session, Action& action) {
    auto o = std::make_shared<ApplyOptions>();
    CLI::App* sub = app.add_subcommand(
        "apply",
        "Bring the selected converters to a settings file's state, sending only the settings "
        "that differ. Exit code 0: everything compared and nothing differed; 5: differences found "
        "(--check) or changed; 6: parts of the file skipped (listed)");
    sub->add_option("FILE", o->path, "Settings file (- for stdin); see docs/settings-file.md")
        ->required();
    sub->add_flag("--check", o->check, "Send nothing: print what would change");
    sub->add_flag("--save", o->save, "Make the converter store what this apply changed");
    sub->add_flag("--with-identity", o->withIdentity,
                  "Also apply the ID group's SN, ID and Name (left as the converter holds them "
                  "otherwise)");
    sub->add_flag("--by-port", o->byPort,
                  "Give each converter the entry of its port (a one-entry file: every converter "
                  "selected) whatever SN and ID it holds: for a replacement unit, or to copy one "
                  "unit's settings to others");
    sub->callback([&session, &action, o] { action = [&session, o] { return Run(session, *o); }; });
}

}  // namespace vexilo::cli
