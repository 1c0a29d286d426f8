#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/window_timers.h"

// What the kit's shared code asks of the toolkit that shows its windows. One implementation per
// toolkit, in that toolkit's backend files (*_qt.cpp); nothing outside src/ui includes this.
namespace vexilo::ui {

class Dialog;

// Shows the toolkit's own modal message box (owner may be null) and returns the kId... answer:
// OK, or for Yes/No the button pressed, with Escape and the close box as No.
int ShowToolkitMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                          unsigned style);

}  // namespace vexilo::ui
