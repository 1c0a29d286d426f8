#pragma once

#include <string>
#include <vector>

#include "app/parallel_startup.h"

namespace vexilo {

// The start-up progress window's texts, the same in every front end.
// "Looking for converters…" before a port is named, else "Contacting <port>…".
std::string StartupStepText(const std::string& portLabel);
// While every converter is read at once.
std::string StartupContactingText();
std::string StartupCountText(int done, int total);
// One line per converter with its state; `done` counts those finished, `ready` says whether one
// is ready to go on with.
std::string StartupRowsText(const std::vector<StartupRow>& rows, int* done, bool* ready);
std::string StartupGoOnText();

}  // namespace vexilo
