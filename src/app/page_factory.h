#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "model/startup_reads.h"
#include "pages/dev_dialog.h"

namespace vexilo {

// Makes the page object for a converter kind and names the dialog template its window is built
// from. The main window takes one, so tests can give it pages of their own.
struct PageFactory {
    std::function<std::unique_ptr<CDevDialog>(Kind kind)> create;
    std::function<int(Kind kind)> templateId;
    // The commands a page of the kind sends at start-up, for reading every converter at once
    // before the pages are built; without it the pages start up one after another.
    std::function<model::StartupEnd(CDevLink&, Kind kind, const std::atomic<bool>* stop)>
        startupReads = nullptr;
};

// The model pages, each kind's as the kind registry names it.
PageFactory ModelPageFactory();

}  // namespace vexilo
