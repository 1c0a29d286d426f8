// vexiloctl serve where the Ember+ listener is not built (Windows): says so.
#include <CLI/CLI.hpp>

#include "cli/commands.h"

namespace vexilo::cli {

void AddServeCommand(CLI::App& app, Session& session, Action& action) {
    CLI::App* sub = app.add_subcommand("serve", "Ember+ provider (not available on this system)");
    sub->allow_extras();
    sub->callback([&session, &action] {
        action = [&session] {
            session.Err() << "vexiloctl: serve: the Ember+ provider is not available on this "
                             "system\n";
            return kExitFailed;
        };
    });
}

}  // namespace vexilo::cli
