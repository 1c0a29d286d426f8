// The up-down control's widget: two arrow buttons drawn by the style, mouse and buddy keys.
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include "ui/qt_backend.h"

namespace vexilo::ui::qt {

UpDownWidget::UpDownWidget(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
}

UpDownWidget::~UpDownWidget() {
    if (m_buddy) {
        m_buddy->removeEventFilter(this);
    }
}

void UpDownWidget::SetBuddy(QLineEdit* buddy, bool setBuddyInt, bool arrowKeys) {
    if (m_buddy) {
        m_buddy->removeEventFilter(this);
    }
    m_buddy = buddy;
    m_setBuddyInt = setBuddyInt;
    if (m_buddy && arrowKeys) {
        m_buddy->installEventFilter(this);
    }
}

void UpDownWidget::ShowPosInBuddy(int pos) {
    if (m_buddy && m_setBuddyInt) {
        m_buddy->setText(QString::number(pos));
    }
}

void UpDownWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton ||
        !Press(event->position().y() < height() / 2.0 ? 1 : -1)) {
        QWidget::mousePressEvent(event);
    }
}

void UpDownWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        StopRepeat();
    }
    QWidget::mouseReleaseEvent(event);
}

void UpDownWidget::changeEvent(QEvent* event) {
    if ((event->type() == QEvent::EnabledChange && !isEnabled()) ||
        (event->type() == QEvent::ActivationChange && !isActiveWindow())) {
        StopRepeat();
    }
    QWidget::changeEvent(event);
}

void UpDownWidget::hideEvent(QHideEvent* event) {
    StopRepeat();
    QWidget::hideEvent(event);
}

bool UpDownWidget::eventFilter(QObject* watched, QEvent* event) {
    // The type first: while the buddy is being destroyed it is no longer a QLineEdit to look at.
    if (event->type() == QEvent::KeyPress && watched == m_buddy.data()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            Step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDownWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        const bool down = (i == 0 && Pressed() == 1) || (i == 1 && Pressed() == -1);
        button.state |= down ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &p, this);
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = halves[i].adjusted(2, 1, -2, -1);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &arrow, &p, this);
    }
}

UpDownWidget* Widget(UpDown& spin) {
    return dynamic_cast<UpDownWidget*>(&spin);
}

}  // namespace vexilo::ui::qt
