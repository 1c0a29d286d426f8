// vexiloctl factory [--adjustments]: the pages' factory-settings buttons.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "model/operations.h"

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
                    const model::OpResult res = adjust
                                                    ? model::FactoryAdjustments(*c.link, c.identity)
                                                    : model::FactorySettings(*c.link, c.identity);
                    if (!res) {
                        r.Fail(res.error);
                    }
                    r.fields["adjustments"] = adjust;
                },
                [adjust](std::ostream& out, const std::vector<const Converter*>& ok,
                         const std::vector<const Report*>&) {
                    for (const Converter* c : ok) {
                        out << c->label << ": factory " << (adjust ? "adjustments" : "settings")
                            << " sent (not saved yet; 'vexiloctl save' stores them)\n";
                    }
                });
        };
    });
}

}  // namespace vexilo::cli
