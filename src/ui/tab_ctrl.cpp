#include "ui/tab_ctrl.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <algorithm>

namespace vexilo::ui {

TabCtrl::TabCtrl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)) {
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_bar->setUsesScrollButtons(true);
    m_bar->setFocusPolicy(Qt::TabFocus);
    QObject::connect(m_bar, &QTabBar::currentChanged, [this](int) {
        if (m_programmatic) {
            return;
        }
        m_noSelection = false;
        if (m_onSelChange) {
            m_onSelChange();
        }
    });
    // After the selected item was deleted the bar still marks some tab current; clicking that
    // one is a selection change too.
    QObject::connect(m_bar, &QTabBar::tabBarClicked, [this](int index) {
        if (m_noSelection && index >= 0 && index == m_bar->currentIndex()) {
            m_noSelection = false;
            if (m_onSelChange) {
                m_onSelChange();
            }
        }
    });
    Layout();
}

int TabCtrl::InsertItem(int index, const QString& text) {
    m_programmatic = true;
    const bool first = m_bar->count() == 0;
    const int at = m_bar->insertTab(index, text);
    if (first) {
        m_bar->setCurrentIndex(at);
        m_noSelection = false;
    }
    m_programmatic = false;
    Layout();
    return at;
}

bool TabCtrl::DeleteItem(int index) {
    if (index < 0 || index >= m_bar->count()) {
        return false;
    }
    const bool wasSelected = index == GetCurSel();
    m_programmatic = true;
    m_bar->removeTab(index);
    m_programmatic = false;
    if (wasSelected) {
        m_noSelection = true;
    }
    Layout();
    return true;
}

int TabCtrl::GetItemCount() const {
    return m_bar->count();
}

QString TabCtrl::GetItemText(int index) const {
    return m_bar->tabText(index);
}

int TabCtrl::GetCurSel() const {
    return m_noSelection ? -1 : m_bar->currentIndex();
}

int TabCtrl::SetCurSel(int index) {
    if (index < 0 || index >= m_bar->count()) {
        return -1;
    }
    const int previous = GetCurSel();
    m_programmatic = true;
    m_bar->setCurrentIndex(index);
    m_programmatic = false;
    m_noSelection = false;
    return previous;
}

QRect TabCtrl::GetItemRect(int index) const {
    if (index < 0 || index >= m_bar->count()) {
        return {};
    }
    return m_bar->tabRect(index).translated(m_bar->pos());
}

void TabCtrl::Layout() {
    const int h = m_bar->sizeHint().height();
    m_bar->setGeometry(2, 0, std::max(0, width() - 4), h);
    update();
}

void TabCtrl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void TabCtrl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int top = m_bar->geometry().bottom() + 1 -
                    style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    frame.rect = QRect(0, top, width(), height() - top);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_bar->size();
    frame.tabBarRect = m_bar->geometry();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &p, this);
}

}  // namespace vexilo::ui
