// vexiloctl set NAME=VALUE...: changes settings at once, as the page's controls do.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "model/converter.h"

namespace vexilo::cli {

namespace {

std::vector<model::Assignment> Parse(const model::KindModel& kind,
                                     const std::vector<std::string>& texts, std::string& error) {
    std::vector<model::Assignment> values;
    for (const std::string& text : texts) {
        const auto a = model::ParseAssignment(kind, text, error);
        if (!a) {
            return {};
        }
        values.push_back(*a);
    }
    return values;
}

int Run(Session& session, const std::vector<std::string>& texts) {
    if (const int code = session.Select(true); code != kExitOk) {
        return code;
    }
    // Every value is checked for every selected converter before anything is sent.
    for (const Converter& c : session.Selected()) {
        std::string error;
        if (Parse(c.Kind(), texts, error).empty()) {
            return session.Usage(c.label + ": " + error + "; nothing was sent");
        }
    }
    session.Open();
    session.Run([&texts](Converter& c, Report& r) {
        std::string error;
        const auto values = Parse(c.Kind(), texts, error);
        if (model::Outcome res = c.device->WriteSettings(values); !res) {
            r.Fail(res.error);
            return;
        }
        Json set = Json::object();
        for (const model::Assignment& a : values) {
            set[a.setting->name] = model::ValueText(*a.setting, a.value);
        }
        r.fields["set"] = std::move(set);
    });
    return session.Print("set", [](std::ostream& out, const std::vector<const Converter*>& ok,
                                   const std::vector<const Report*>&) {
        for (const Converter* c : ok) {
            out << c->label << ": set (not saved yet; 'vexiloctl save' stores it)\n";
        }
    });
}

}  // namespace

void AddSetCommand(CLI::App& app, Session& session, Action& action) {
    auto texts = std::make_shared<std::vector<std::string>>();
    CLI::App* sub = app.add_subcommand(
        "set",
        "Change settings now (stored by 'save', undone by 'revert'); values are checked "
        "against the converter's model before anything is sent");
    sub->add_option("NAME=VALUE", *texts, "Settings and their new values")->required();
    sub->callback([&session, &action, texts] {
        action = [&session, texts] { return Run(session, *texts); };
    });
}

}  // namespace vexilo::cli
