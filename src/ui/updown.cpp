#include "ui/updown.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace vexilo::ui {

namespace {

// Every up-down control alive, so that a message box can end their repeats.
std::vector<UpDown*>& AllUpDowns() {
    static std::vector<UpDown*> all;
    return all;
}

}  // namespace

int UpDown::AcceleratedStep(int heldMs) {
    if (heldMs >= 5000) {
        return 20;
    }
    if (heldMs >= 2000) {
        return 5;
    }
    return 1;
}

UpDown::UpDown() : m_timers([this](int) { OnRepeat(); }) {
    AllUpDowns().push_back(this);
}

UpDown::~UpDown() {
    auto& all = AllUpDowns();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void UpDown::SetRange32(int lower, int upper) {
    m_lower = lower;
    m_upper = upper;
}

void UpDown::GetRange32(int& lower, int& upper) const {
    lower = m_lower;
    upper = m_upper;
}

int UpDown::SetPos32(int pos) {
    const int lo = std::min(m_lower, m_upper);
    const int hi = std::max(m_lower, m_upper);
    const int previous = m_pos;
    m_pos = std::clamp(pos, lo, hi);
    ShowPosInBuddy(m_pos);
    return previous;
}

void UpDown::SetDeltaPosHandler(DeltaPosHandler handler) {
    m_handler = std::move(handler);
}

void UpDown::Step(int direction, int increment) {
    if (!IsControlEnabled() || m_lower == m_upper || m_stepping) {
        return;
    }
    // "Up" moves toward the upper bound, whichever way the range runs.
    const int sign = m_upper > m_lower ? 1 : -1;
    NmUpDown nm;
    nm.idFrom = m_id;
    nm.iPos = m_pos;
    nm.iDelta = direction * sign * increment;
    m_stepping = true;
    const bool refused = m_handler && m_handler(nm) != 0;
    m_stepping = false;
    if (refused) {
        return;
    }
    // The handler may have moved the control itself; the step applies to where it is now.
    const long long target = static_cast<long long>(m_pos) + nm.iDelta;
    const long long lo = std::min(m_lower, m_upper);
    const long long hi = std::max(m_lower, m_upper);
    const int next = static_cast<int>(std::clamp(target, lo, hi));
    if (next != m_pos) {
        m_pos = next;
        ShowPosInBuddy(m_pos);
    }
}

bool UpDown::Press(int direction) {
    if (m_stepping) {
        return false;
    }
    m_pressed = direction;
    m_pressMs = NowMs();
    Redraw();
    Step(m_pressed, AcceleratedStep(0));
    // The first repeat counts from the press, but never comes straight after a slow step.
    const auto spent = static_cast<int>(std::min<std::int64_t>(NowMs() - m_pressMs, 1 << 30));
    ArmRepeat(kInitialDelayMs - spent);
    return true;
}

void UpDown::ArmRepeat(int delayMs) {
    if (m_pressed == 0) {
        return;  // released, or stopped while the step ran
    }
    m_timers.Set(kRepeatTimer, std::max(delayMs, kRepeatMs));
}

void UpDown::OnRepeat() {
    m_timers.Kill(kRepeatTimer);  // no tick while the step is in flight
    if (m_pressed == 0 || m_stepping) {
        return;
    }
    const auto heldMs = static_cast<int>(std::min<std::int64_t>(NowMs() - m_pressMs, 1 << 30));
    Step(m_pressed, AcceleratedStep(heldMs));
    ArmRepeat(kRepeatMs);
}

void UpDown::StopRepeat() {
    m_pressed = 0;
    m_timers.Kill(kRepeatTimer);
    Redraw();
}

void UpDown::StopAllRepeats() {
    // A copy: stopping redraws, and nothing may come or go meanwhile.
    const std::vector<UpDown*> all = AllUpDowns();
    for (UpDown* spin : all) {
        if (spin->m_pressed != 0) {
            spin->StopRepeat();
        }
    }
}

}  // namespace vexilo::ui
