// The tab control on QTabBar, with a scrolling page area below the row.
#include <QKeySequence>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>

#include "ui/qt_backend.h"

namespace vexilo::ui::qt {

TabCtrlWidget::TabCtrlWidget(QWidget* parent)
    : QWidget(parent),
      m_bar(new QTabBar(this)),
      m_scroll(new QScrollArea(this)),
      m_pages(new QWidget) {
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_bar->setUsesScrollButtons(true);
    m_bar->setFocusPolicy(Qt::TabFocus);
    // The row takes the focus the control is given: the control itself draws no focus, so a
    // stop of its own would be an invisible one.
    setFocusProxy(m_bar);
    // The row's scroll arrows are for the mouse; the keys move between tabs themselves.
    for (QToolButton* arrow : m_bar->findChildren<QToolButton*>()) {
        arrow->setFocusPolicy(Qt::NoFocus);
    }
    // The page area shows the frame drawn behind it and scrolls only when the pages need it.
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_pages->setAutoFillBackground(false);
    m_scroll->setWidget(m_pages);
    const auto bind = [this](QKeySequence keys, int direction) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, this,
                         [this, direction] { SelectNext(direction); });
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    bind(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), -1);
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    bind(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
    QObject::connect(m_bar, &QTabBar::currentChanged, [this](int) {
        if (m_programmatic) {
            return;
        }
        m_noSelection = false;
        NotifySelChange();
    });
    // After the selected item was deleted the bar still marks some tab current; clicking that
    // one is a selection change too.
    QObject::connect(m_bar, &QTabBar::tabBarClicked, [this](int index) {
        if (m_noSelection && index >= 0 && index == m_bar->currentIndex()) {
            m_noSelection = false;
            NotifySelChange();
        }
    });
    Layout();
}

int TabCtrlWidget::InsertItem(int index, const std::string& text) {
    m_programmatic = true;
    const bool first = m_bar->count() == 0;
    const int at = m_bar->insertTab(index, QString::fromStdString(text));
    if (first) {
        m_bar->setCurrentIndex(at);
        m_noSelection = false;
    }
    m_programmatic = false;
    Layout();
    return at;
}

bool TabCtrlWidget::DeleteItem(int index) {
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

int TabCtrlWidget::GetItemCount() const {
    return m_bar->count();
}

std::string TabCtrlWidget::GetItemText(int index) const {
    return m_bar->tabText(index).toStdString();
}

int TabCtrlWidget::GetCurSel() const {
    return m_noSelection ? -1 : m_bar->currentIndex();
}

int TabCtrlWidget::SetCurSel(int index) {
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

Rect TabCtrlWidget::GetItemRect(int index) const {
    if (index < 0 || index >= m_bar->count()) {
        return {};
    }
    return FromQRect(m_bar->tabRect(index).translated(m_bar->pos()));
}

void TabCtrlWidget::SelectByUser(int index) {
    if (index == m_bar->currentIndex()) {
        // Only a tab marked current with no selection behind it is a change.
        if (m_noSelection) {
            m_noSelection = false;
            NotifySelChange();
        }
        return;
    }
    m_bar->setCurrentIndex(index);  // reported through currentChanged, as a click is
}

int TabCtrlWidget::RowHeight() const {
    return m_bar->geometry().bottom() + 1;
}

QRect TabCtrlWidget::PageAreaRect() const {
    const int top = RowHeight();
    return {0, top, width(), std::max(0, height() - top)};
}

void TabCtrlWidget::PlacePage(Dialog&) {
    Layout();
}

void TabCtrlWidget::Layout() {
    const int h = m_bar->sizeHint().height();
    m_bar->setGeometry(2, 0, std::max(0, width() - 4), h);
    const QRect area = PageAreaRect();
    m_scroll->setGeometry(area);
    // The pages' extent decides which scroll bars the area needs, and a bar takes room from the
    // other direction.
    QSize need(0, 0);
    const auto pages = m_pages->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (const QWidget* page : pages) {
        need = need.expandedTo(page->size());
    }
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    QSize view = area.size();
    bool horizontal = need.width() > view.width();
    const bool vertical = need.height() > view.height() - (horizontal ? bar : 0);
    if (vertical) {
        view.rwidth() -= bar;
        horizontal = need.width() > view.width();
    }
    if (horizontal) {
        view.rheight() -= bar;
    }
    const QSize size = need.expandedTo(view);
    m_pages->resize(size);
    for (QWidget* page : pages) {
        page->move((size.width() - page->width()) / 2, (size.height() - page->height()) / 2);
    }
    update();
}

void TabCtrlWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void TabCtrlWidget::paintEvent(QPaintEvent*) {
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

TabCtrlWidget* Widget(TabCtrl& tab) {
    return dynamic_cast<TabCtrlWidget*>(&tab);
}

}  // namespace vexilo::ui::qt
