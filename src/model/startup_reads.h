#pragma once

#include <atomic>

#include "protocol/dev_link.h"

namespace vexilo::model {

// How a converter's start-up reads ended; a page that runs the same reads ends the same way.
enum class StartupEnd {
    kReady,            // every read answered: the page can be built
    kNotConnected,     // no reply to the connection checks
    kNotMainFirmware,  // the main firmware does not run
    kBootUpdater,      // the boot-update firmware runs
    kNoResponse,       // a later read went unanswered
    kStopped,          // `stop` was set: nothing more was asked
};

// The commands a converter's page sends when it starts up, in its order, followed by the main
// window's series query for the tab caption; stops where the page would close. Touches no user
// interface, so it can run on a worker thread for each converter at once; `link` keeps the ID
// record it read. `kind` is the kind the page was chosen for. `stop`, when set, ends the reads
// before the next command.
StartupEnd ReadAtStartup(CDevLink& link, Kind kind, const std::atomic<bool>* stop = nullptr);

}  // namespace vexilo::model
