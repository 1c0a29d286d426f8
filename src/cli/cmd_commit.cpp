// vexiloctl save / revert: the main window's save and cancel, for the selected converters.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "model/converter.h"

namespace vexilo::cli {

namespace {

using Operation = model::Outcome (model::Converter::*)();

int Run(Session& session, const char* command, Operation operation, const char* done) {
    return RunOnConverters(
        session, command, true,
        [operation](Converter& c, Report& r) {
            if (model::Outcome res = ((*c.device).*operation)(); !res) {
                r.Fail(res.error);
            }
        },
        [done](std::ostream& out, const std::vector<const Converter*>& ok,
               const std::vector<const Report*>&) {
            for (const Converter* c : ok) {
                out << c->label << ": " << done << '\n';
            }
        });
}

void Add(CLI::App& app, Session& session, Action& action, const char* command,
         const char* description, Operation operation, const char* done) {
    CLI::App* sub = app.add_subcommand(command, description);
    sub->callback([&session, &action, command, operation, done] {
        action = [&session, command, operation, done] {
            return Run(session, command, operation, done);
        };
    });
}

}  // namespace

void AddSaveCommand(CLI::App& app, Session& session, Action& action) {
    Add(app, session, action, "save",
        "Store the current settings (and the current input format's adjustments) in the "
        "converter",
        &model::Converter::Save, "saved");
}

void AddRevertCommand(CLI::App& app, Session& session, Action& action) {
    Add(app, session, action, "revert",
        "Return to the stored settings (and adjustments of the current input format)",
        &model::Converter::Revert, "reverted");
}

}  // namespace vexilo::cli
