#pragma once

#include <QIcon>
#include <QImage>
#include <array>
#include <functional>
#include <memory>

#include "app/page_factory.h"
#include "discovery/devices.h"
#include "pages/dev_dialog.h"
#include "pages/main_window.h"
#include "ui/dialog.h"
#include "ui/tab_ctrl.h"

namespace vexilo {

// Control IDs of the main window (template 102).
enum : int {
    IDD_VEXILO_DIALOG = 102,
    IDC_TAB = 1023,
    IDC_SAVE = 1066,
    IDC_DUMMY = 1056,
};

// The program's one window: a tab per usable converter and the buttons that save or revert
// every page. Construction finds the converters, makes and attaches the pages, and ends the
// process with a message when none can be used; OnInitDialog builds and names the tabs.
class CVexiloDlg : public ui::Dialog, public IMainWindow {
public:
    // May end the process (exit code 0) after its message when no converter is usable.
    CVexiloDlg(bool bShowSave, PageFactory factory);
    ~CVexiloDlg() override;
    CVexiloDlg(const CVexiloDlg&) = delete;
    CVexiloDlg& operator=(const CVexiloDlg&) = delete;

    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    bool PreTranslateKeyDown(int key) override;

    void OnBnClickedOk();
    void OnBnClickedSave();
    void OnBnClickedCancel();

    // IMainWindow
    ui::TabCtrl& TabControl() override { return *m_tab; }
    int PageCount() const override { return m_nPages; }
    CDevDialog* Page(int index) const override;
    int& OpenTabs() override { return m_nOpenTabs; }
    void OnTcnSelchangeTab(ui::NmHdr* pNMHDR, ui::LResult* pResult) override;

    const DeviceEntry& Device(int index) const { return m_devices.at(index); }
    const QImage& Logo() const { return m_logo; }

    // Runs once the window's start-up is over (pages created, first tab shown), from its loop.
    std::function<void(CVexiloDlg&)> m_onStarted;

    // Where the logo is drawn: 12 pixels from the left and bottom edges of the client area.
    static constexpr int kLogoMargin = 12;

    static const ui::MessageMap& ThisMessageMap();
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Calls CommitSettings on every page that still has a converter; the outcome stops nothing.
    // Returns false when a page refused to save its ID settings (it has told the operator why).
    bool CommitAllPages(bool bRevert);

    bool m_bShowSave;
    PageFactory m_factory;
    QIcon m_hIcon;
    QImage m_logo;  // white already made transparent
    ui::TabCtrl* m_tab = nullptr;
    std::array<std::unique_ptr<CDevDialog>, MAX_DEVICES> m_pPages;
    std::array<DeviceEntry, MAX_DEVICES> m_devices{};
    int m_nPages = 0;
    int m_nOpenTabs = 0;
};

// The logo with every pure white pixel made transparent, as the window draws it.
QImage WhiteToTransparent(const QImage& image);

}  // namespace vexilo
