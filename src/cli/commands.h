#pragma once

#include <functional>

#include "cli/session.h"

namespace CLI {
class App;
}

// The subcommands of vexiloctl, one file each. An Add function puts its subcommand (with its
// options and help) on `app`; when the command line selects it, its callback sets `action`, which
// vexiloctl runs after parsing and whose result is the exit code.
namespace vexilo::cli {

using Action = std::function<int()>;
using AddCommand = void (*)(CLI::App& app, Session& session, Action& action);

void AddListCommand(CLI::App& app, Session& session, Action& action);
void AddStatusCommand(CLI::App& app, Session& session, Action& action);
void AddGetCommand(CLI::App& app, Session& session, Action& action);
void AddSetCommand(CLI::App& app, Session& session, Action& action);
void AddIdCommand(CLI::App& app, Session& session, Action& action);
void AddSaveCommand(CLI::App& app, Session& session, Action& action);
void AddRevertCommand(CLI::App& app, Session& session, Action& action);
void AddFactoryCommand(CLI::App& app, Session& session, Action& action);
void AddBackupCommand(CLI::App& app, Session& session, Action& action);
void AddApplyCommand(CLI::App& app, Session& session, Action& action);
void AddServeCommand(CLI::App& app, Session& session, Action& action);

// Every subcommand, in the order --help lists them. A new subcommand is a file with its Add
// function and a line here.
inline constexpr AddCommand kCommands[] = {
    AddListCommand,   AddStatusCommand, AddGetCommand,    AddSetCommand,
    AddIdCommand,     AddSaveCommand,   AddRevertCommand, AddFactoryCommand,
    AddBackupCommand, AddApplyCommand,  AddServeCommand,
};

}  // namespace vexilo::cli
