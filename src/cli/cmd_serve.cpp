// vexiloctl serve --ember [ADDR:]PORT: the converters as an Ember+ provider until interrupted.
#include <CLI/CLI.hpp>
#include <atomic>

#include "cli/commands.h"
#include "cli/ember_service.h"
#include "cli/stop_signals.h"

namespace vexilo::cli {

namespace {

struct ServeCommandOptions {
    std::string ember = "127.0.0.1:9000";
    bool readOnly = false;
    std::size_t maxConsumers = 8;
};

int Run(Session& session, const ServeCommandOptions& o) {
    if (!session.options.ports.empty() || !session.options.kind.empty()) {
        return session.Usage("serve: every converter is served; --port and --kind do not apply");
    }
    ServeOptions options;
    std::string error;
    if (!ParseListenAddress(o.ember, options.address, options.port, error)) {
        return session.Usage("--ember: " + error);
    }
    options.readOnly = o.readOnly;
    options.maxConsumers = o.maxConsumers;
    EmberService service(options, session.Err());
    if (!service.Start(error)) {
        session.Err() << "vexiloctl: serve: " << error << '\n';
        return kExitFailed;
    }
    const bool v6 = options.address.find(':') != std::string::npos;
    session.Out() << "serving Ember+ on " << (v6 ? "[" : "") << options.address << (v6 ? "]" : "")
                  << ":" << service.Port() << (options.readOnly ? " (read-only)" : "") << std::endl;
    std::atomic<bool>& stop = StopOnSignals();
    service.Run(stop);
    return kExitOk;
}

}  // namespace

void AddServeCommand(CLI::App& app, Session& session, Action& action) {
    auto o = std::make_shared<ServeCommandOptions>();
    CLI::App* sub = app.add_subcommand(
        "serve",
        "Serve every converter to Ember+ consumers (control systems, Companion) until "
        "interrupted; converters plugged in or out appear or go offline");
    sub->add_option("--ember", o->ember,
                    "Listen on [ADDR:]PORT (default 127.0.0.1:9000). Ember+ has no "
                    "authentication: listen beyond loopback only on a trusted control network")
        ->type_name("[ADDR:]PORT");
    sub->add_flag("--read-only", o->readOnly,
                  "Serve identity and status only: no settings, no save, revert or factory");
    sub->add_option("--max-consumers", o->maxConsumers,
                    "Consumers served at once; more are refused (default 8)")
        ->check(CLI::Range(1, 64))
        ->type_name("N");
    sub->callback([&session, &action, o] { action = [&session, o] { return Run(session, *o); }; });
}

}  // namespace vexilo::cli
