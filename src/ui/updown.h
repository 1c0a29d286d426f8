#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>
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
class UpDown : public QWidget {
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

    explicit UpDown(QWidget* parent = nullptr);
    ~UpDown() override;

    void SetRange32(int lower, int upper);
    void GetRange32(int& lower, int& upper) const;
    // Clamps to the range, updates the buddy; returns the previous position.
    int SetPos32(int pos);
    int GetPos32() const { return m_pos; }

    // The buddy gets the position text; with arrowKeys its Up and Down keys step the control.
    void SetBuddy(QLineEdit* buddy, bool setBuddyInt, bool arrowKeys);
    QLineEdit* GetBuddy() const { return m_buddyAlive ? m_buddy : nullptr; }

    void SetControlId(int id) { m_id = id; }
    void SetDeltaPosHandler(DeltaPosHandler handler);

    // One step up (+1) or down (-1) of `increment` units, as an arrow click makes it.
    void Step(int direction, int increment = 1);
    // Auto-repeat timers (tests fire them under ManualTimers).
    WindowTimers& Timers() { return m_timers; }
    // Ends every auto-repeat of the program, before something modal takes over.
    static void StopAllRepeats();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void OnRepeat();
    void StopRepeat();
    // Arms the next repeat after a step, unless the arrow is no longer held.
    void ArmRepeat(int delayMs);
    void WriteBuddy();

    int m_id = 0;
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    QLineEdit* m_buddy = nullptr;
    QPointer<QObject> m_buddyAlive;  // the buddy is a sibling, which may go first
    bool m_setBuddyInt = false;
    int m_pressed = 0;           // +1 up arrow held, -1 down arrow held, 0 none
    std::int64_t m_pressMs = 0;  // when the held arrow was pressed
    bool m_stepping = false;     // a step is in flight (its handler may block)
    DeltaPosHandler m_handler;
    WindowTimers m_timers;
};

}  // namespace vexilo::ui
