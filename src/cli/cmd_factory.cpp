// vexiloctl factory [--adjustments]: the pages' factory-settings buttons.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "model/converter.h"

namespace vexilo::cli {

void AddFactoryCommand(CLI::App& app, Session& session, Action& action) {
    auto adjustments = std::make_shared<bool>(false);
    CLI::App* sub = app.add_subcommand(
        "factory",
        "Factory output settings (and cable detection on DVI), sent at once, not saved; the ID "
        "settings are left alone");
    sub->add_flag("--adjustments", *adjustments,
                  "Instead: the factory adjustment values of the current input format (rgb, "
                  "ntsc)");
    sub->callback([&session, &action, adjustments] {
        action = [&session, adjustments] {
            const bool adjust = *adjustments;
            if (adjust) {
                // Refused before anything is sent when a selected kind has no adjustments.
                if (const int code = session.Select(true); code != kExitOk) {
                    return code;
                }
                for (const Converter& c : session.Selected()) {
                    if (!c.Kind().HasAdjustments()) {
                        return session.Usage(c.label + ": " + c.Kind().Name() +
                                             " converters have no adjustments; nothing was sent");
                    }
                }
            }
            return RunOnConverters(
                session, "factory", true,
                [adjust](Converter& c, Report& r) {
                    model::Outcome res;
                    if (adjust) {
                        // The factory values of the format the converter reports now.
                        model::FormatCheck check;
                        res = c.device->CheckInputFormat(check);
                        if (res) {
                            res.Then(c.device->FactoryAdjustments());
                        }
                    } else {
                        // Unlike the panel's button, the ID settings stay as stored: vexiloctl
                        // has no later save in which a cleared ID group would be stored.
                        res = c.device->FactorySettings(false);
                    }
                    if (!res) {
                        r.Fail(res.error);
                    }
                    r.fields["adjustments"] = adjust;
                    if (const std::string skipped = res.SkippedText(); !skipped.empty()) {
                        r.fields["skipped"] = skipped;
                    }
                },
                [adjust](std::ostream& out, const std::vector<const Converter*>& ok,
                         const std::vector<const Report*>& reports) {
                    for (std::size_t i = 0; i < ok.size(); ++i) {
                        out << ok[i]->label << ": factory " << (adjust ? "adjustments" : "settings")
                            << " sent (not saved yet; 'vexiloctl save' stores them)";
                        if (const auto it = reports[i]->fields.find("skipped");
                            it != reports[i]->fields.end()) {
                            out << "; not sent: " << it->get<std::string>();
                        }
                        out << '\n';
                    }
                });
        };
    });
}

}  // namespace vexilo::cli
