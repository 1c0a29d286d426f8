#include "ui/updown.h"

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
    if (!isEnabled() || m_lower == m_upper) {
        return;
    }
    // "Up" moves toward the upper bound, whichever way the range runs.
    const int sign = m_upper > m_lower ? 1 : -1;
    NmUpDown nm;
    nm.idFrom = m_id;
    nm.iPos = m_pos;
    nm.iDelta = direction * sign * increment;
    if (m_handler && m_handler(nm) != 0) {
        return;  // refused
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

void UpDown::OnRepeat() {
    if (m_pressed == 0) {
        StopRepeat();
        return;
    }
    m_heldMs += m_timers.Period(kRepeatTimer);
    m_timers.Set(kRepeatTimer, kRepeatMs);
    Step(m_pressed, AcceleratedStep(m_heldMs));
}

void UpDown::StopRepeat() {
    m_pressed = 0;
    m_heldMs = 0;
    m_timers.Kill(kRepeatTimer);
    update();
}

void UpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = event->position().y() < height() / 2.0 ? 1 : -1;
    m_heldMs = 0;
    update();
    m_timers.Set(kRepeatTimer, kInitialDelayMs);
    Step(m_pressed, AcceleratedStep(0));
}

void UpDown::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        StopRepeat();
    }
    QWidget::mouseReleaseEvent(event);
}

void UpDown::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        StopRepeat();
    }
    QWidget::changeEvent(event);
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
