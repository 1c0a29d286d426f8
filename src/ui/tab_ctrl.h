#pragma once

#include <QWidget>
#include <functional>

class QTabBar;

namespace vexilo::ui {

// Tab control: a row of tabs over a framed area. The pages are child windows that the owner
// places, shows and hides itself; the control only keeps the items and the selection.
// Programmatic changes (insert, delete, SetCurSel) send no notification; a selection made by
// the user calls the selection-change handler (TCN_SELCHANGE).
class TabCtrl : public QWidget {
public:
    explicit TabCtrl(QWidget* parent = nullptr);

    // Inserts an item before `index` (clamped to the end); returns its index. The first item
    // inserted becomes the selection.
    int InsertItem(int index, const QString& text);
    // Removes an item; deleting the selected item leaves no selection until the next SetCurSel.
    bool DeleteItem(int index);
    int GetItemCount() const;
    QString GetItemText(int index) const;
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

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();

    QTabBar* m_bar;
    bool m_noSelection = false;
    bool m_programmatic = false;
    std::function<void()> m_onSelChange;
};

}  // namespace vexilo::ui
