#pragma once

#include <functional>
#include <memory>
#include <string>

// What the kit's shared code asks of the toolkit that shows its windows. One implementation per
// toolkit, in that toolkit's backend files (*_qt.cpp); nothing outside src/ui includes this.
namespace vexilo::ui {

class Dialog;

// A timer that calls its tick function from the event loop every period until stopped.
class PeriodicTimer {
public:
    virtual ~PeriodicTimer() = default;
    virtual void Start(int periodMs) = 0;  // (re)starts with this period
    virtual void Stop() = 0;
};
std::unique_ptr<PeriodicTimer> MakePeriodicTimer(std::function<void()> tick);

// Shows the toolkit's own modal message box (owner may be null) and returns the kId... answer:
// OK, or for Yes/No the button pressed, with Escape and the close box as No.
int ShowToolkitMessageBox(Dialog* owner, const std::string& text, const std::string& caption,
                          unsigned style);

}  // namespace vexilo::ui
