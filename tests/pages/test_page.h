#pragma once

#include <memory>
#include <vector>

#include "pages/dev_dialog.h"
#include "pages/main_window.h"
#include "ui/qt_backend.h"

namespace vexilo::test {

// The smallest concrete page: the framework's behaviour with a model string and a save that
// hands over the ID settings. Counts UpdateStatus to show that the map reaches overrides.
class CTestPage : public CDevDialog {
public:
    void SetComPort(const Port& port) override { SetTabTitle("KTP-RGB-SDI", port); }
    void CommitSettings(bool bRevert) override { CommitGeneralSettings(bRevert); }
    void CloseOnError(int nReason) override {
        ShowErrorAndClose(nReason, m_nTabIndex, m_szTabTitle);
    }
    void UpdateStatus() override {
        ++updateStatusCalls;
        CDevDialog::UpdateStatus();
    }

    static const ui::MessageMap& ThisMessageMap() {
        static const ui::MessageMap map{&CDevDialog::ThisMessageMap(), CommonMapEntries()};
        return map;
    }
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

    // The page's state, open to the framework's own tests.
    using CDevDialog::m_bIdAutoFilled;
    using CDevDialog::m_bIdEnable;
    using CDevDialog::m_bIdSupported;
    using CDevDialog::m_bSettingText;
    using CDevDialog::m_nOutputFormat;
    using CDevDialog::m_nScaler;
    using CDevDialog::m_nSdiLevel;
    using CDevDialog::m_strModelName;
    using CDevDialog::m_wFpgaVersion;

    int updateStatusCalls = 0;
};

// The port a page's converter was opened on, as far as its record tells.
inline Port PortOf(const CDevLink* link) {
    return link != nullptr ? Port{{}, link->m_pChannel->Label(), link->m_kind, {}} : Port{};
}

// A main window reduced to what the pages use: tabs, pages, open-tab count, tab switch.
class FakeMain : public IMainWindow {
public:
    FakeMain() { tab.resize(800, 640); }

    ui::TabCtrl& TabControl() override { return tab; }
    int PageCount() const override { return static_cast<int>(pages.size()); }
    CDevDialog* Page(int index) const override { return pages.at(index).get(); }
    int& OpenTabs() override { return openTabs; }
    void OnLastTabClosed() override { ++lastTabClosed; }
    void OnTcnSelchangeTab(ui::NmHdr*, ui::LResult*) override {
        ++selChanges;
        if (CDevDialog* page = ShowPageOfTab(*this, tab.GetCurSel())) {
            page->OnAutoUpdateClicked();
        }
    }

    // Adds a page the way the main window's start-up does (window, title, main, tab).
    CTestPage* Add(std::unique_ptr<CDevLink> link, int templateId = 134) {
        auto page = std::make_unique<CTestPage>();
        CTestPage* p = page.get();
        pages.push_back(std::move(page));
        p->UseDevice(std::move(link));
        const Port port = PortOf(p->Device());
        p->Create(templateId, &tab);
        p->SetComPort(port);
        p->JoinMainWindow(this, static_cast<int>(pages.size()) - 1);
        tab.InsertItem(p->TabIndex(), p->TabTitle());
        ++openTabs;
        return p;
    }

    ui::qt::TabCtrlWidget tab;
    std::vector<std::unique_ptr<CTestPage>> pages;  // in `tab`, so declared after it
    int openTabs = 0;
    int selChanges = 0;
    int lastTabClosed = 0;
};

}  // namespace vexilo::test
