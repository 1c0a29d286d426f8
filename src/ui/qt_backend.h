#pragma once

// The dialog kit's Qt backend, for the application's Qt files (main window decoration,
// screenshots, start-up progress) and for tests only; pages never include it. It hands out the
// widgets behind dialogs and controls (to embed, grab and click them) and converts the kit's
// plain types to Qt's.
#include <QFont>
#include <QLineEdit>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialog.h"
#include "ui/dialog_template.h"
#include "ui/dialog_units.h"
#include "ui/geometry.h"
#include "ui/tab_ctrl.h"
#include "ui/updown.h"

class QMessageBox;
class QScrollArea;
class QTabBar;

namespace vexilo::ui::qt {

QFont ToQFont(const FontSpec& font);
inline QRect ToQRect(const Rect& r) {
    return {r.x, r.y, r.width, r.height};
}
inline Rect FromQRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}
inline QSize ToQSize(const Size& s) {
    return {s.width, s.height};
}
inline Size FromQSize(const QSize& s) {
    return {s.width(), s.height()};
}

// The dialog's window (null once something else destroyed it).
QWidget* Window(const Dialog& dialog);
// The widget of control `id`, null when there is none.
QWidget* Item(const Dialog& dialog, int id);
template <class W>
W* ItemAs(const Dialog& dialog, int id) {
    return dynamic_cast<W*>(Item(dialog, id));
}
// Every control in template order with its template row and its widget.
std::vector<std::pair<const ControlTemplate*, QWidget*>> Controls(const Dialog& dialog);

// Gives a box the panel's look: text, caption, icon, its buttons (OK, or Yes and No) with the
// style's default, and a width that shows the whole caption. The default message box and the
// screenshot mode both use it.
void SetUpMessageBox(QMessageBox& box, const std::string& text, const std::string& caption,
                     unsigned style);

// The tab control's widget. Tests also make one of their own to hold pages.
class TabCtrlWidget : public QWidget, public TabCtrl {
public:
    explicit TabCtrlWidget(QWidget* parent = nullptr);

    int InsertItem(int index, const std::string& text) override;
    bool DeleteItem(int index) override;
    int GetItemCount() const override;
    std::string GetItemText(int index) const override;
    int GetCurSel() const override;
    int SetCurSel(int index) override;
    Rect GetItemRect(int index) const override;
    Rect GetClientRect() const override { return FromQRect(rect()); }
    void PlacePage(Dialog& page) override;
    int RowHeight() const override;
    void Repaint() override { repaint(); }

    // The widget the pages are children of.
    QWidget* PageArea() const { return m_pages; }

protected:
    bool IsControlEnabled() const override { return isEnabled(); }
    void SelectByUser(int index) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();
    QRect PageAreaRect() const;

    QTabBar* m_bar;
    QScrollArea* m_scroll;
    QWidget* m_pages;
    bool m_noSelection = false;
    bool m_programmatic = false;
};

// The up-down control's widget. Tests also make one of their own beside an edit.
class UpDownWidget : public QWidget, public UpDown {
public:
    explicit UpDownWidget(QWidget* parent = nullptr);
    ~UpDownWidget() override;

    // The buddy gets the position text; with arrowKeys its Up and Down keys step the control.
    void SetBuddy(QLineEdit* buddy, bool setBuddyInt, bool arrowKeys);
    QLineEdit* GetBuddy() const { return m_buddy.data(); }

protected:
    bool IsControlEnabled() const override { return isEnabled(); }
    void ShowPosInBuddy(int pos) override;
    void Redraw() override { update(); }

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<QLineEdit> m_buddy;  // a sibling, which may go first
    bool m_setBuddyInt = false;
};

// The widgets of the kit's controls.
TabCtrlWidget* Widget(TabCtrl& tab);
UpDownWidget* Widget(UpDown& spin);

}  // namespace vexilo::ui::qt
