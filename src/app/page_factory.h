#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "model/converter.h"
#include "pages/dev_dialog.h"

namespace vexilo {

// Makes the page object for a converter kind and names the dialog template its window is built
// from. The main window takes one, so tests can give it pages of their own.
struct PageFactory {
    std::function<std::unique_ptr<CDevDialog>(Kind kind)> create;
    std::function<int(Kind kind)> templateId;
    // The start-up reads, run for every converter at once before the pages are built from what
    // they read; without it each page starts its converter when it is built, one after another.
    std::function<model::Outcome(model::Converter&, const std::atomic<bool>* stop)> startupReads =
        nullptr;
};

// The model pages, each kind's as the kind registry names it.
PageFactory ModelPageFactory();

}  // namespace vexilo
