#include "app/vexilo_dlg.h"

#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "app/app_version.h"
#include "app/shell_logic.h"
#include "serial/port_table.h"

namespace vexilo {

namespace {

const char16_t* const kStartupCaption = u"KTP Series ERROR";
const char16_t* const kNoDeviceText = u"デバイスが接続されていません";
const char16_t* const kNoUsableDeviceText =
    u"デバイスが使用できません。\n他のアプリケーションで既に使用されている可能性があります。";

// Start-up errors have no owner: the window does not exist yet.
[[noreturn]] void ExitWithStartupError(const char16_t* text) {
    ui::ShowMessageBox(nullptr, QString::fromUtf16(text), QString::fromUtf16(kStartupCaption),
                       ui::kMbOk | ui::kMbIconExclamation);
    std::exit(0);
}

}  // namespace

QImage WhiteToTransparent(const QImage& image) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu) {
                line[x] = 0;
            }
        }
    }
    return out;
}

CVexiloDlg::CVexiloDlg(bool bShowSave, PageFactory factory)
    : ui::Dialog(IDD_VEXILO_DIALOG),
      m_bShowSave(bShowSave),
      m_factory(std::move(factory)),
      m_hIcon(QStringLiteral(":/vexilo/vexilo.png")) {
    m_nPages = std::clamp(EnumerateDevices(m_devices.data()), 0, MAX_DEVICES);
    if (m_nPages == 0) {
        ExitWithStartupError(kNoDeviceText);
    }
    // Every page exists and holds its port before any window does.
    for (int i = 0; i < m_nPages; ++i) {
        m_pPages[i] = m_factory.create ? m_factory.create(m_devices[i].kind) : nullptr;
        if (m_pPages[i]) {
            m_pPages[i]->AttachDevice(m_devices[i].port);
        }
    }
    m_nPages = DropPagesWithoutDevice(m_pPages, m_devices, m_nPages, [](const CDevDialog& page) {
        return page.m_pDevice != nullptr;
    });
    m_nOpenTabs = m_nPages;
    if (m_nPages == 0) {
        ExitWithStartupError(kNoUsableDeviceText);
    }
}

CVexiloDlg::~CVexiloDlg() {
    // The pages go first, closing their ports; the tab control they live in goes with the window.
    for (auto& page : m_pPages) {
        page.reset();
    }
}

const ui::MessageMap& CVexiloDlg::ThisMessageMap() {
    static const ui::MessageMap map{
        &ui::Dialog::ThisMessageMap(),
        {
            ui::OnBnClicked(ui::kIdOk, &CVexiloDlg::OnBnClickedOk),
            ui::OnBnClicked(IDC_SAVE, &CVexiloDlg::OnBnClickedSave),
            ui::OnTcnSelChange(IDC_TAB, &CVexiloDlg::OnTcnSelchangeTab),
            ui::OnBnClicked(ui::kIdCancel, &CVexiloDlg::OnBnClickedCancel),
        }};
    return map;
}

CDevDialog* CVexiloDlg::Page(int index) const {
    return index >= 0 && index < m_nPages ? m_pPages[index].get() : nullptr;
}

void CVexiloDlg::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    ui::DDX_Control(dx, IDC_TAB, m_tab);
}

bool CVexiloDlg::OnInitDialog() {
    ui::Dialog::OnInitDialog();
    ShowDlgItem(IDC_DUMMY, false);
    const QString title = QString::fromStdString(WindowTitle(ProductVersionText()));
    setWindowIcon(m_hIcon);
    setWindowTitle(title);
    if (!m_bShowSave) {
        ShowDlgItem(IDC_SAVE, false);
    }

    for (int i = 0; i < m_nPages; ++i) {
        CDevDialog* page = m_pPages[i].get();
        const DeviceEntry& entry = m_devices[i];
        // The page's own start-up talks to its converter inside Create. One that fails there has
        // told the operator and released its converter: it is dropped like a page whose port did
        // not open, and the others go on.
        page->Create(m_factory.templateId ? m_factory.templateId(entry.kind) : 0, m_tab);
        if (!page->m_pDevice) {
            --m_nOpenTabs;
            page->hide();
            continue;
        }
        page->SetComPort(entry.port);
        const std::uint8_t series = page->m_pDevice ? page->m_pDevice->GetSeriesCode() : 0xFF;
        const QString caption =
            QString::fromStdString(TabCaption(series, entry.kind, PortLabel(entry.port)));
        page->m_pMainDlg = this;
        page->m_nTabIndex = i;
        m_tab->InsertItem(m_tab->GetItemCount(), caption);

        // Centred horizontally, and vertically in the area below the tab row.
        const QRect client = m_tab->GetClientRect();
        const QRect item = m_tab->GetItemRect(0);
        const int rowBottom = item.y() + item.height();
        const int x = (client.width() - page->width()) / 2;
        const int y = (client.height() - rowBottom - page->height()) / 2 + rowBottom;
        page->move(x, y);
    }

    if (m_nOpenTabs < 1) {
        std::exit(0);  // every converter failed its start-up (each has shown its message)
    }
    // The first item became the selection when it was inserted.
    OnTcnSelchangeTab(nullptr, nullptr);
    m_logo = WhiteToTransparent(QImage(QStringLiteral(":/vexilo/logo.png")));
    if (m_onStarted) {
        // Queued, so it runs in the window's own loop, never in a box shown during start-up.
        PostCall([this] { m_onStarted(*this); });
    }
    return true;
}

void CVexiloDlg::OnTcnSelchangeTab(ui::NmHdr*, ui::LResult* pResult) {
    const int sel = m_tab->GetCurSel();
    CDevDialog* failed = nullptr;
    int k = 0;  // tab of the next page that still has a converter
    for (int i = 0; i < m_nPages; ++i) {
        CDevDialog* page = m_pPages[i].get();
        if (!page->m_pDevice) {
            page->KillTimer(page->m_nTimerId);
            page->hide();
            continue;
        }
        if (k == sel) {
            page->show();
            // The converter of a newly shown tab must still answer before the page polls it.
            if (page->m_pDevice->CheckConnection(1, true)) {
                page->OnAutoUpdateClicked();
            } else {
                failed = page;
            }
        } else {
            page->KillTimer(page->m_nTimerId);
            page->hide();
        }
        ++k;
    }
    if (failed != nullptr) {
        failed->CloseOnError(kCloseNoResponse);
    }
    if (pResult != nullptr) {
        *pResult = 0;
    }
}

bool CVexiloDlg::CommitAllPages(bool bRevert) {
    bool allAccepted = true;
    for (int i = 0; i < m_nPages; ++i) {
        CDevDialog* page = m_pPages[i].get();
        if (page != nullptr && page->m_pDevice) {
            page->m_bIdRejected = false;
            page->CommitSettings(bRevert);
            allAccepted = allAccepted && !page->m_bIdRejected;
        }
    }
    return allAccepted;
}

void CVexiloDlg::OnBnClickedSave() {
    CommitAllPages(false);
}

void CVexiloDlg::OnBnClickedOk() {
    // The other pages are saved either way; but closing after a page refused its ID settings
    // would throw away what the operator typed, so the window stays open for the correction.
    if (CommitAllPages(false)) {
        ui::Dialog::OnOK();
    }
}

void CVexiloDlg::OnBnClickedCancel() {
    CommitAllPages(true);
    ui::Dialog::OnCancel();
}

bool CVexiloDlg::PreTranslateKeyDown(int key) {
    // Enter and Escape stay with the focused control: they neither press a button nor close.
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
        key == Qt::Key_Cancel) {
        return false;
    }
    return ui::Dialog::PreTranslateKeyDown(key);
}

void CVexiloDlg::paintEvent(QPaintEvent* event) {
    ui::Dialog::paintEvent(event);
    if (m_logo.isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(kLogoMargin, height() - m_logo.height() - kLogoMargin, m_logo);
}

}  // namespace vexilo
