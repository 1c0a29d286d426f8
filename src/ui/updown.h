#pragma once

#include <cstdint>
#include <functional>

#include "ui/window_timers.h"

namespace vexilo::ui {

// What an up-down control reports before it moves: its position and the proposed step.
// The handler may change iDelta; it returns nonzero to refuse the step.
struct NmUpDown {
    int idFrom = 0;
    int iPos = 0;
    int iDelta = 0;
};

// Up-down control ("spin") with an optional buddy edit. 32-bit range and position; each arrow
// click, held arrow or arrow key in the buddy proposes a step through the delta-position
// handler, then moves by the (possibly changed) step, clamped to the range, and writes the
// position into the buddy as a signed decimal number.
//
// This class holds the control's state and rules; the toolkit's widget that shows it derives
// from it, supplies the hooks below and reports presses and releases of its arrows.
class UpDown {
public:
    using DeltaPosHandler = std::function<int(NmUpDown&)>;

    // Auto-repeat while an arrow is held: the first repeat kInitialDelayMs after the press, then
    // every kRepeatMs. The step grows with the time held, like Windows' default acceleration:
    // 1 from the start, 5 after 2 s, 20 after 5 s. The wait for the next repeat starts only
    // when the step before has finished, so a step that blocks (a slow converter) never lets a
    // click turn into a repeat; anything that takes the operator away from the arrow (a message
    // box, the control disabled or hidden, the window deactivated) ends the repeat.
    static constexpr int kInitialDelayMs = 500;
    static constexpr int kRepeatMs = 50;
    static constexpr int kRepeatTimer = 1;
    static int AcceleratedStep(int heldMs);

    UpDown(const UpDown&) = delete;
    UpDown& operator=(const UpDown&) = delete;
    virtual ~UpDown();

    void SetRange32(int lower, int upper);
    void GetRange32(int& lower, int& upper) const;
    // Clamps to the range, updates the buddy; returns the previous position.
    int SetPos32(int pos);
    int GetPos32() const { return m_pos; }

    void SetControlId(int id) { m_id = id; }
    void SetDeltaPosHandler(DeltaPosHandler handler);

    // One step up (+1) or down (-1) of `increment` units, as an arrow click makes it.
    void Step(int direction, int increment = 1);
    // Auto-repeat timers (tests fire them under ManualTimers).
    WindowTimers& Timers() { return m_timers; }
    // Ends every auto-repeat of the program, before something modal takes over.
    static void StopAllRepeats();

protected:
    UpDown();

    // The arrow `direction` (+1 up, -1 down) was pressed: one step, then the repeat while it is
    // held. False (nothing done) while a step is still in flight.
    bool Press(int direction);
    // The arrow was let go, or the operator was taken away from it: no more repeats.
    void StopRepeat();
    // The arrow held now: +1 up, -1 down, 0 none.
    int Pressed() const { return m_pressed; }

    // Hooks of the widget: whether it takes input, showing the position in the buddy (when it
    // has one that shows integers), and drawing the arrows anew.
    virtual bool IsControlEnabled() const = 0;
    virtual void ShowPosInBuddy(int pos) = 0;
    virtual void Redraw() = 0;

private:
    void OnRepeat();
    // Arms the next repeat after a step, unless the arrow is no longer held.
    void ArmRepeat(int delayMs);

    int m_id = 0;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    int m_pressed = 0;           // +1 up arrow held, -1 down arrow held, 0 none
    std::int64_t m_pressMs = 0;  // when the held arrow was pressed
    bool m_stepping = false;     // a step is in flight (its handler may block)
    DeltaPosHandler m_handler;
    WindowTimers m_timers;
};

}  // namespace vexilo::ui
