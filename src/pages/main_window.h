#pragma once

#include "ui/dialog.h"
#include "ui/tab_ctrl.h"

namespace vexilo {

class CDevDialog;

// What a device page needs of the main window (CVexiloDlg implements it): the tab control, the
// walk over the pages that tells which tab is the page's own, the count of open tabs, the
// handler that shows the page of the selected tab, and the end once no tab is left.
class IMainWindow {
public:
    virtual ~IMainWindow() = default;

    // m_tab
    virtual ui::TabCtrl& TabControl() = 0;
    // m_nPages and m_pPages[i], in page order
    virtual int PageCount() const = 0;
    virtual CDevDialog* Page(int index) const = 0;
    // m_nOpenTabs
    virtual int& OpenTabs() = 0;
    // Shows the page of the selected tab; called without notification data by the pages.
    virtual void OnTcnSelchangeTab(ui::NmHdr* pNMHDR, ui::LResult* pResult) = 0;
    // A page closed the last open tab: the window ends its loop (the page has returned by then
    // from nothing else than its own close).
    virtual void OnLastTabClosed() = 0;
};

// Tab k belongs to the k-th page that still has a converter: the tab of `page` is the number of
// pages before it that still have one.
int TabPosition(const IMainWindow& window, const CDevDialog* page);

// Shows the page of tab `selection` and hides every other page, stopping its polling. Returns
// the page shown, or nullptr when no page has that tab.
CDevDialog* ShowPageOfTab(const IMainWindow& window, int selection);

}  // namespace vexilo
