#include "ui/updown.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>
#include <utility>

namespace vexilo::ui {

int UpDown::AcceleratedStep(int heldMs) {
    if (heldMs >= 5000) {
        return 20;
    }
    if (heldMs >= 2000) {
        return 5;
    }
    return 1;
}

UpDown::UpDown(QWidget* parent) : QWidget(parent), m_timers([this](int) { OnRepeat(); }) {
    setFocusPolicy(Qt::NoFocus);
}

UpDown::~UpDown() {
    if (m_buddyAlive) {
        m_buddy->removeEventFilter(this);
    }
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
    WriteBuddy();
    return previous;
}

void UpDown::SetBuddy(QLineEdit* buddy, bool setBuddyInt, bool arrowKeys) {
    if (m_buddyAlive) {
        m_buddy->removeEventFilter(this);
    }
    m_buddy = buddy;
    m_buddyAlive = buddy;
    m_setBuddyInt = setBuddyInt;
    if (m_buddy != nullptr && arrowKeys) {
        m_buddy->installEventFilter(this);
    }
}

void UpDown::SetDeltaPosHandler(DeltaPosHandler handler) {
    m_handler = std::move(handler);
}

void UpDown::WriteBuddy() {
    if (m_buddyAlive && m_setBuddyInt) {
        m_buddy->setText(QString::number(m_pos));
    }
}

void UpDown::Step(int direction, int increment) {
    if (!isEnabled() || m_lower == m_upper || m_stepping) {
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
        WriteBuddy();
    }
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
    update();
}

void UpDown::StopAllRepeats() {
    for (QWidget* widget : QApplication::allWidgets()) {
        if (auto* spin = dynamic_cast<UpDown*>(widget); spin != nullptr && spin->m_pressed != 0) {
            spin->StopRepeat();
        }
    }
}

void UpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_stepping) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = event->position().y() < height() / 2.0 ? 1 : -1;
    m_pressMs = NowMs();
    update();
    Step(m_pressed, AcceleratedStep(0));
    // The first repeat counts from the press, but never comes straight after a slow step.
    const auto spent = static_cast<int>(std::min<std::int64_t>(NowMs() - m_pressMs, 1 << 30));
    ArmRepeat(kInitialDelayMs - spent);
}

void UpDown::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        StopRepeat();
    }
    QWidget::mouseReleaseEvent(event);
}

void UpDown::changeEvent(QEvent* event) {
    if ((event->type() == QEvent::EnabledChange && !isEnabled()) ||
        (event->type() == QEvent::ActivationChange && !isActiveWindow())) {
        StopRepeat();
    }
    QWidget::changeEvent(event);
}

void UpDown::hideEvent(QHideEvent* event) {
    StopRepeat();
    QWidget::hideEvent(event);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_buddyAlive.data() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            Step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        const bool down = (i == 0 && m_pressed == 1) || (i == 1 && m_pressed == -1);
        button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &p, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = halves[i].adjusted(2, 1, -2, -1);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &arrow, &p, this);
    }
}

}  // namespace vexilo::ui
