#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QScrollArea;
class QTabBar;

namespace vexilo::ui {

// Tab control: a row of tabs over a framed area. The pages are child windows that the owner
// places, shows and hides itself; the control only keeps the items and the selection.
// Programmatic changes (insert, delete, SetCurSel) send no notification; a selection made by
// the user (a click, Ctrl+Tab / Ctrl+Shift+Tab, Ctrl+PgDn / Ctrl+PgUp) calls the
// selection-change handler (TCN_SELCHANGE).
//
// The pages live in the page area below the tab row (a dialog created with the control as its
// parent goes there). When the control is smaller than its pages, that area scrolls; the tab row
// never does.
class TabCtrl : public QWidget {
public:
    explicit TabCtrl(QWidget* parent = nullptr);

    // Inserts an item before `index` (clamped to the end); returns its index. The first item
    // inserted becomes the selection.
    int InsertItem(int index, const std::string& text);
    // Removes an item; deleting the selected item leaves no selection until the next SetCurSel.
    bool DeleteItem(int index);
    int GetItemCount() const;
    std::string GetItemText(int index) const;
    // The selected item, -1 when there is none.
    int GetCurSel() const;
    // Selects an item; returns the previous selection, -1 when there was none or `index` is out
    // of range (then nothing changes).
    int SetCurSel(int index);
    // The rectangle of an item's tab in this control's coordinates (empty when out of range).
    QRect GetItemRect(int index) const;
    // The whole client area of the control, tabs included.
    QRect GetClientRect() const { return rect(); }

    void SetSelChangeHandler(std::function<void()> handler) { m_onSelChange = std::move(handler); }

    // The widget the pages are children of.
    QWidget* PageArea() const;
    // Centres `page` (a child of the page area) below the tab row; when the visible area is
    // smaller than the page, the page starts at the area's top left and the area scrolls.
    void PlacePage(QWidget& page);
    // The height of the tab row, frame included: what the control needs above its pages.
    int RowHeight() const;
    // Selects the next (+1) or previous (-1) item, wrapping around, as the user does by keyboard.
    void SelectNext(int direction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    QRect PageAreaRect() const;
    void SelectByUser(int index);

    QTabBar* m_bar;
    QScrollArea* m_scroll;
    QWidget* m_pages;
    bool m_noSelection = false;
    bool m_programmatic = false;
    std::function<void()> m_onSelChange;
};

}  // namespace vexilo::ui
