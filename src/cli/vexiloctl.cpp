#include "cli/vexiloctl.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal_text.h"

namespace vexilo::cli {

int RunVexiloctl(const std::vector<std::string>& args, std::ostream& rawOut, std::ostream& rawErr) {
    // Names and texts from converters and files reach the terminal only through these.
    TerminalSafeBuffer outBuffer(rawOut.rdbuf());
    TerminalSafeBuffer errBuffer(rawErr.rdbuf());
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    Session session(out, err);
    GlobalOptions& o = session.options;
    CLI::App app{"Reads and changes the settings of the attached video converters.", "vexiloctl"};
    app.footer(
        "Converters are found as the panel finds them (USB, and VEXILO_PORTS). Exit codes: 0 ok, "
        "1 a converter failed, 2 usage or a refused value (nothing sent), 3 nothing found, 4 port "
        "busy, 5 apply found or made changes, 6 apply skipped parts of the file (listed), 130/143 "
        "interrupted by SIGINT/SIGTERM.\n");
    // Global options may also follow the subcommand.
    app.fallthrough();
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("vexiloctl ") + VEXILO_VERSION_TEXT,
                         "Print the version and exit");
    app.add_option("--port", o.ports,
                   "Converter on this port (label as in the panel's tabs, or device path); "
                   "repeatable")
        ->allow_extra_args(false)
        ->type_name("LABEL");
    app.add_option("--sn", o.sns,
                   "The converter whose ID record holds this SN, wherever it is plugged "
                   "(before the subcommand); repeatable")
        ->allow_extra_args(false)
        ->type_name("DIGITS");
    app.add_option("--id", o.ids,
                   "The converter whose ID record holds this ID, wherever it is plugged "
                   "(before the subcommand); repeatable")
        ->allow_extra_args(false)
        ->type_name("TEXT");
    std::vector<std::string> kindNames;
    for (const KindIdentity& k : kKindIdentities) {
        kindNames.emplace_back(k.name);
    }
    app.add_option("--kind", o.kind, "Only converters of this kind")
        ->check(CLI::IsMember(kindNames, CLI::ignore_case));
    app.add_flag("--all", o.all,
                 "Every converter (the default with one converter attached; needed by changing "
                 "commands when several are)");
    app.add_flag("--json", o.json, "One JSON document on stdout instead of a table");
    app.add_flag("--trace", o.trace, "Every request and reply as hex, on stderr");

    Action action;
    for (AddCommand add : kCommands) {
        add(app, session, action);
    }

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? kExitOk : kExitUsage;
    }
    return action ? action() : kExitUsage;
}

}  // namespace vexilo::cli
