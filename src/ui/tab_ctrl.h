#pragma once

#include <functional>
#include <string>
#include <utility>

#include "ui/geometry.h"

namespace vexilo::ui {

class Dialog;

// Tab control: a row of tabs over a framed area. The pages are child windows that the owner
// places, shows and hides itself; the control only keeps the items and the selection.
// Programmatic changes (insert, delete, SetCurSel) send no notification; a selection made by
// the user (a click, Ctrl+Tab / Ctrl+Shift+Tab, Ctrl+PgDn / Ctrl+PgUp) calls the
// selection-change handler (TCN_SELCHANGE).
//
// The pages live in the page area below the tab row (a dialog created with the control as its
// parent goes there). When the control is smaller than its pages, that area scrolls; the tab row
// never does. The toolkit's widget derives from this class.
class TabCtrl {
public:
    TabCtrl(const TabCtrl&) = delete;
    TabCtrl& operator=(const TabCtrl&) = delete;
    virtual ~TabCtrl() = default;

    // Inserts an item before `index` (clamped to the end); returns its index. The first item
    // inserted becomes the selection.
    virtual int InsertItem(int index, const std::string& text) = 0;
    // Removes an item; deleting the selected item leaves no selection until the next SetCurSel.
    virtual bool DeleteItem(int index) = 0;
    virtual int GetItemCount() const = 0;
    virtual std::string GetItemText(int index) const = 0;
    // The selected item, -1 when there is none.
    virtual int GetCurSel() const = 0;
    // Selects an item; returns the previous selection, -1 when there was none or `index` is out
    // of range (then nothing changes).
    virtual int SetCurSel(int index) = 0;
    // The rectangle of an item's tab in this control's coordinates (empty when out of range).
    virtual Rect GetItemRect(int index) const = 0;
    // The whole client area of the control, tabs included.
    virtual Rect GetClientRect() const = 0;

    void SetSelChangeHandler(std::function<void()> handler) { m_onSelChange = std::move(handler); }

    // Centres `page` (a dialog in the page area) below the tab row; when the visible area is
    // smaller than the page, the page starts at the area's top left and the area scrolls.
    virtual void PlacePage(Dialog& page) = 0;
    // The height of the tab row, frame included: what the control needs above its pages.
    virtual int RowHeight() const = 0;
    // Draws the control at once (the operator sees the tab chosen before a slow check).
    virtual void Repaint() = 0;
    // Selects the next (+1) or previous (-1) item, wrapping around, as the user does by keyboard.
    void SelectNext(int direction);

protected:
    TabCtrl() = default;

    // Tells the owner that the user changed the selection.
    void NotifySelChange() {
        if (m_onSelChange) {
            m_onSelChange();
        }
    }
    // Whether the control takes input now.
    virtual bool IsControlEnabled() const = 0;
    // Selects `index` as a user's choice does, notifying when the selection changes.
    virtual void SelectByUser(int index) = 0;

private:
    std::function<void()> m_onSelChange;
};

}  // namespace vexilo::ui
