// vexiloctl get [NAME...]: settings as the converter holds them now.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "model/converter.h"

namespace vexilo::cli {

namespace {

// The settings `names` pick for `kind` (all of them without names); false with `error` set when
// a name is not one of the kind's.
bool Pick(const model::KindModel& kind, const std::vector<std::string>& names,
          std::vector<const model::Setting*>& picked, std::string& error) {
    picked.clear();
    if (names.empty()) {
        for (const model::Setting& s : kind.settings) {
            picked.push_back(&s);
        }
        return true;
    }
    for (const std::string& name : names) {
        const model::Setting* s = kind.Find(name);
        if (s == nullptr) {
            error = "'" + name + "' is not a setting of " + kind.Name() + " converters";
            return false;
        }
        picked.push_back(s);
    }
    return true;
}

int Run(Session& session, const std::vector<std::string>& names) {
    if (const int code = session.Select(false); code != kExitOk) {
        return code;
    }
    // Every name is checked against every selected converter before a port is opened.
    for (const Converter& c : session.Selected()) {
        std::vector<const model::Setting*> picked;
        std::string error;
        if (!Pick(c.Kind(), names, picked, error)) {
            return session.Usage(c.label + ": " + error);
        }
    }
    session.Open();
    session.Run([&names](Converter& c, Report& r) {
        std::vector<const model::Setting*> picked;
        std::string error;
        Pick(c.Kind(), names, picked, error);
        model::SettingsSnapshot snapshot;
        if (model::Outcome res = c.device->ReadSettings(picked, snapshot); !res) {
            r.Fail(res.error);
            return;
        }
        Json settings = Json::object();
        for (const model::Setting* s : picked) {
            const auto value = snapshot.Value(*s);
            if (!value) {
                settings[s->name] = nullptr;
            } else if (s->ChoiceName(*value) != nullptr) {
                settings[s->name] = s->ChoiceName(*value);
            } else {
                settings[s->name] = *value;
            }
        }
        if (c.Kind().HasAdjustments()) {
            r.fields["input_format"] = model::IsInputFormat(snapshot.inputFormat)
                                           ? Json(snapshot.inputFormat)
                                           : Json(nullptr);
        }
        r.fields["settings"] = std::move(settings);
    });
    return session.Print("get", [](std::ostream& out, const std::vector<const Converter*>& ok,
                                   const std::vector<const Report*>& reports) {
        Table t({"PORT", "SETTING", "VALUE", "ALLOWED", "FACTORY"});
        for (std::size_t i = 0; i < ok.size(); ++i) {
            for (const auto& [name, value] : reports[i]->fields.at("settings").items()) {
                const model::Setting* s = ok[i]->Kind().Find(name);
                std::string factory = "-";
                if (s->factory == model::kFactoryPerFormat) {
                    factory = "by format";
                } else {
                    factory = model::ValueText(*s, s->factory);
                }
                t.Row({ok[i]->label, name,
                       value.is_null()     ? std::string("- (no input signal)")
                       : value.is_string() ? value.get<std::string>()
                                           : value.dump(),
                       s->writable ? s->RangeText() : "(shown only)", factory});
            }
        }
        t.Print(out);
    });
}

}  // namespace

void AddGetCommand(CLI::App& app, Session& session, Action& action) {
    auto names = std::make_shared<std::vector<std::string>>();
    CLI::App* sub = app.add_subcommand(
        "get", "Settings as the converter holds them (all of its kind without NAME)");
    sub->add_option("NAME", *names, "Setting names (see docs/cli.md)");
    sub->callback([&session, &action, names] {
        action = [&session, names] { return Run(session, *names); };
    });
}

}  // namespace vexilo::cli
