#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vexilo::cli {

// Runs vexiloctl with `args` (without the program name), writing results to `out` and messages
// to `err`; returns the exit code (cli/session.h: ExitCode).
int RunVexiloctl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vexilo::cli
