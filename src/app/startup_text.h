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

// The main window's wait for its start-up reads, shown by a progress window of any front end:
// the converters' states, the window appearing when due, its clicks taken by `pump` (no page is
// on screen yet, and the hotplug watcher changes none before start-up is over), and what the
// operator chose.
template <class Progress, class Pump>
auto FollowStartupWait(Progress& progress, Pump pump) {
    return [&progress, pump](const std::vector<StartupRow>& rows) {
        progress.ShowConverters(rows);
        progress.Poll();
        pump();
        return progress.Choice();
    };
}

}  // namespace vexilo
