#include "app/vexilo_dlg.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "app/app_version.h"
#include "app/shell_logic.h"
#include "serial/wait_observer.h"
#include "ui/text.h"
#include "ui/tr.h"

namespace vexilo {

namespace {

const char* const kStartupCaption = "KTP Series ERROR";
const char* const kNoDeviceText = ui::TrNoop("CVexiloDlg", "デバイスが接続されていません");
const char* const kNoUsableDeviceHeading = ui::TrNoop("CVexiloDlg", "デバイスが使用できません。");
const char* const kBusyText =
    ui::TrNoop("CVexiloDlg", "他のアプリケーションで既に使用されている可能性があります。");
const char* const kPermissionText = ui::TrNoop("CVexiloDlg", "%1 を開く権限がありません。");
const char* const kPermissionHint =
    ui::TrNoop("CVexiloDlg",
               "udev ルール 60-vexilo.rules をインストールするか、ユーザーを dialout "
               "グループに追加して再ログインしてください。");
const char* const kGoneText = ui::TrNoop("CVexiloDlg", "コンバーターが取り外されました。");
const char* const kBusyPortsText = ui::TrNoop("CVexiloDlg", "他のアプリケーションが使用中: %1");
const char* const kSavedText = ui::TrNoop("CVexiloDlg", "設定を保存しました");
const char* const kWaitQuestion =
    ui::TrNoop("CVexiloDlg",
               "コンバーターの接続を待ちますか？\n"
               "「はい」: ウィンドウを開き、接続されたコンバーターごとにタブを追加します。\n"
               "「いいえ」: 終了します。");
const char* const kWaitingText = ui::TrNoop("CVexiloDlg", "コンバーターの接続を待っています。");

std::string Translated(const char* text) {
    return ui::Tr("CVexiloDlg", text);
}

// Where a note beside the buttons goes: from `left` (past the logo) to `button`, level with it.
ui::Rect BesideButton(const ui::Rect& button, int left) {
    return {left, button.y, std::max(0, button.x - CVexiloDlg::kLogoMargin - left), button.height};
}

// Start-up errors have no owner: the window does not exist yet.
void ShowStartupError(const std::string& text) {
    ui::ShowMessageBox(nullptr, text, kStartupCaption, ui::kMbOk | ui::kMbIconExclamation);
}

// Nothing found: where to look, and whether to wait for converters. Ending stays the default.
bool AskToWaitForConverters() {
    const std::string text =
        Translated(kNoDeviceText) + "\n\n" + NoDeviceHint() + "\n\n" + Translated(kWaitQuestion);
    return ui::ShowMessageBox(nullptr, text, kStartupCaption,
                              ui::kMbYesNo | ui::kMbIconExclamation | ui::kMbDefButton2) ==
           ui::kIdYes;
}

// One line about one port: its label and what kept it closed.
std::string ProblemLine(const PortProblem& problem) {
    std::string reason;
    switch (problem.failure) {
        case PortOpenFailure::Permission:
            reason = ui::FormatText(
                Translated(kPermissionText),
                {problem.port.path.empty() ? problem.port.label : problem.port.path});
            break;
        case PortOpenFailure::Gone:
            reason = Translated(kGoneText);
            break;
        default:
            reason = Translated(kBusyText);
            break;
    }
    return problem.port.label + ": " + reason;
}

}  // namespace

std::string NoUsableDeviceText(const std::vector<PortProblem>& problems) {
    const std::string heading = Translated(kNoUsableDeviceHeading);
    const auto is = [&problems](PortOpenFailure f) {
        return std::any_of(problems.begin(), problems.end(),
                           [f](const PortProblem& p) { return p.failure == f; });
    };
    if (!is(PortOpenFailure::Permission) && !is(PortOpenFailure::Gone)) {
        return heading + '\n' + Translated(kBusyText);
    }
    std::string text = heading;
    for (const PortProblem& problem : problems) {
        text += '\n' + ProblemLine(problem);
    }
    if (is(PortOpenFailure::Permission)) {
        text += '\n' + Translated(kPermissionHint);
    }
    return text;
}

CVexiloDlg::CVexiloDlg(bool bShowSave, PageFactory factory)
    : ui::Dialog(IDD_VEXILO_DIALOG),
      m_bShowSave(bShowSave),
      m_factory(std::move(factory)),
      m_decor(MakeDecor(*this)) {
    // The one enumeration of start-up: each port comes with its kind, so attaching lists nothing.
    m_listed = EnumerateDevices();
    m_nPages = std::min(static_cast<int>(m_listed.size()), MAX_DEVICES);
    std::copy_n(m_listed.begin(), m_nPages, m_devices.begin());
    // Every page exists and holds its port before any window does.
    std::vector<PortProblem> problems;
    for (int i = 0; i < m_nPages; ++i) {
        m_pPages[i] = m_factory.create ? m_factory.create(m_devices[i].kind) : nullptr;
        if (m_pPages[i]) {
            m_pPages[i]->AttachDevice(m_devices[i]);
            if (!m_pPages[i]->HasConverter()) {
                problems.push_back({m_devices[i], m_pPages[i]->OpenFailure()});
                if (problems.back().failure == PortOpenFailure::Busy) {
                    m_busyPorts.push_back(m_devices[i]);
                }
            }
        } else {
            problems.push_back({m_devices[i], PortOpenFailure::Other});
        }
    }
    m_nPages = DropPagesWithoutDevice(m_pPages, m_devices, m_nPages,
                                      [](const CDevDialog& page) { return page.HasConverter(); });
    m_nOpenTabs = m_nPages;
    if (m_nPages == 0) {
        // None listed, or every one listed gone again: nothing is there, and the operator may wait.
        const bool noneThere =
            std::all_of(problems.begin(), problems.end(),
                        [](const PortProblem& p) { return p.failure == PortOpenFailure::Gone; });
        if (!noneThere) {
            ShowStartupError(NoUsableDeviceText(problems));
            m_bEndedAtStartup = true;
            return;
        }
        m_waiting = AskToWaitForConverters();
        if (!m_waiting) {
            m_bEndedAtStartup = true;
            return;
        }
    }
    // The other converters carry on; the dropped ones are told on the terminal, and those held by
    // another program in the window too.
    for (const PortProblem& problem : problems) {
        std::string line = ProblemLine(problem);
        if (problem.failure == PortOpenFailure::Permission) {
            line += ' ' + Translated(kPermissionHint);
        }
        std::fprintf(stderr, "vexilo-panel: %s\n", line.c_str());
    }
    FitToScreen();
}

void CVexiloDlg::FitToScreen() {
    for (int i = 0; i < m_nPages; ++i) {
        m_templateIds[i] = m_factory.templateId ? m_factory.templateId(m_devices[i].kind) : 0;
    }
    const auto own = ui::LoadDialogTemplate(IDD_VEXILO_DIALOG);
    if (!own) {
        return;
    }
    std::vector<int> ids(m_templateIds.begin(), m_templateIds.begin() + m_nPages);
    if (m_waiting && m_factory.templateId) {
        // No page yet: room for a page of any kind that may come.
        for (const KindIdentity& k : kKindIdentities) {
            ids.push_back(m_factory.templateId(k.kind));
        }
    }
    std::vector<ui::DialogTemplate> pages;
    for (int id : ids) {
        if (auto page = ui::LoadDialogTemplate(id)) {
            pages.push_back(std::move(*page));
        }
    }
    std::vector<const ui::DialogTemplate*> inner;
    for (const ui::DialogTemplate& page : pages) {
        inner.push_back(&page);
    }
    SetLayout(ui::FitLayout(*own, inner, ui::AvailableClientArea()));
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
    m_decor->SetIcon();
    SetWindowText(WindowTitle(ProductVersionText()));
    if (!m_bShowSave) {
        ShowDlgItem(IDC_SAVE, false);
    }

    m_decor->MakeBusyNote();
    ShowBusyPorts(std::vector<Port>(m_busyPorts));

    // The pages found at construction, and only those: no page comes or goes until start-up is
    // over (MayChangePages).
    const int startupPages = m_nPages;
    if (m_bEndedAtStartup || !ReadConvertersAtOnce(startupPages)) {
        m_bEndedAtStartup = true;
        EndDialog(ui::kIdCancel);
        return true;
    }
    for (int i = 0; i < startupPages; ++i) {
        CDevDialog* page = m_pPages[i].get();
        const Port& port = m_devices[i];
        if (!page->HasConverter()) {
            --m_nOpenTabs;  // not ready when the operator went on: the rescan offers it again
            page->ShowWindow(false);
            continue;
        }
        // After the reads at once the progress list already tells each converter's state: a
        // count here would run backwards while the pages replay.
        if (m_onStartupProgress && !m_startup) {
            m_onStartupProgress(port.label, i, startupPages);
        }
        // The page's own start-up talks to its converter inside Create. One that fails there has
        // told the operator and released its converter: it is dropped like a page whose port did
        // not open, and the others go on.
        page->SetLayout(Layout());  // the window's font and width, so the page fits its tab
        page->Create(m_templateIds[i], m_tab);
        if (!page->HasConverter()) {
            --m_nOpenTabs;
            page->ShowWindow(false);
            continue;
        }
        page->SetComPort(port);
        const std::string caption = TabCaptionOf(i);
        page->JoinMainWindow(this, i);
        m_tab->InsertItem(m_tab->GetItemCount(), caption);
        PlacePage(*page);
    }

    if (m_nOpenTabs < 1 && !m_waiting) {
        // Every converter failed its start-up (each has shown its message).
        OnLastTabClosed();
        return true;
    }
    if (m_waiting) {
        m_decor->ShowWaitNote(Translated(kWaitingText), *m_tab);
    }
    // The first item became the selection when it was inserted.
    OnTcnSelchangeTab(nullptr, nullptr);
    m_decor->LoadLogo();
    if (m_onStartupProgress) {
        m_onStartupProgress(std::string(), startupPages, startupPages);
    }
    // Queued, so it runs in the window's own loop, never in a box shown during start-up.
    PostCall([this] {
        m_loopLevel = ui::EventLoopLevel();
        if (m_onStarted) {
            m_onStarted(*this);
        }
    });
    return true;
}

bool CVexiloDlg::StartupHoldsPort(const Port& port) const {
    for (std::size_t i = 0; m_startup && i < m_startupJobs.size(); ++i) {
        if (m_devices[i].Id() == port.Id() && m_startup->Running(m_startupJobs[i])) {
            return true;
        }
    }
    return false;
}

bool CVexiloDlg::ReadConvertersAtOnce(int count) {
    if (!m_factory.startupReads) {
        return true;
    }
    m_startup = std::make_unique<ParallelStartup>();
    std::vector<int>& jobs = m_startupJobs;
    jobs.assign(static_cast<std::size_t>(count), -1);
    std::vector<StartupRow> rows;
    for (int i = 0; i < count; ++i) {
        if (CDevDialog* page = m_pPages[i].get(); page != nullptr && page->HasConverter()) {
            jobs[i] = m_startup->Start(page->ReleaseConverter(), m_factory.startupReads);
            rows.push_back({m_devices[i].label, {}});
        }
    }
    StartupChoice choice = StartupChoice::kWait;
    for (;;) {
        const std::vector<ParallelStartup::Status> statuses = m_startup->Statuses();
        for (std::size_t k = 0; k < rows.size(); ++k) {
            rows[k].status = statuses[k];
        }
        if (m_onStartupWait) {
            choice = m_onStartupWait(rows);
        }
        if (choice != StartupChoice::kWait || m_startup->AllDone()) {
            break;
        }
        m_startup->WaitForChange(kWaitTickMs);
    }
    if (choice == StartupChoice::kQuit) {
        m_startup->Abandon();
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (jobs[i] >= 0) {
            if (std::unique_ptr<model::Converter> converter = m_startup->Take(jobs[i])) {
                m_pPages[i]->UseConverter(std::move(converter));
            }
        }
    }
    m_startup->Abandon();
    return true;
}

bool CVexiloDlg::ShowTabAsClicked(int k) {
    ui::TabCtrl& tab = TabControl();
    const int count = tab.GetItemCount();
    if (tab.GetCurSel() != k) {
        tab.SetCurSel(k);
        ui::NmHdr hdr{IDC_TAB, ui::Notify::TcnSelChange};
        ui::LResult result = 0;
        Dispatch(ui::Notify::TcnSelChange, IDC_TAB, &hdr, &result);
    }
    return tab.GetItemCount() >= count;
}

void CVexiloDlg::OnLastTabClosed() {
    if (m_loopLevel < 0) {
        m_bEndedAtStartup = true;
    }
    EndDialog(ui::kIdCancel);
}

bool CVexiloDlg::MayChangePages() const {
    return m_loopLevel >= 0 && ui::EventLoopLevel() <= m_loopLevel && ui::OpenMessageBoxes() == 0;
}

void CVexiloDlg::ShowBusyPorts(const std::vector<Port>& ports) {
    m_busyPorts = ports;
    std::string labels;
    for (const Port& port : ports) {
        labels += (labels.empty() ? "" : ", ") + port.label;
    }
    if (!m_decor->HasBusyNote()) {
        return;
    }
    if (ports.empty()) {
        m_decor->SetBusyNote({}, nullptr);
        return;
    }
    // Between the logo and the buttons, level with the buttons.
    const int first = IsDlgItemShown(IDC_SAVE) ? int{IDC_SAVE} : ui::kIdCancel;
    const int logo = m_decor->LogoWidth() == 0 ? kLogoWidth : m_decor->LogoWidth();
    const ui::Rect where = BesideButton(GetDlgItemRect(first), 2 * kLogoMargin + logo);
    m_decor->SetBusyNote(ui::FormatText(Translated(kBusyPortsText), {labels}),
                         HasDlgItem(first) ? &where : nullptr);
}

std::string CVexiloDlg::BusyPortsText() const {
    return m_decor->BusyNoteText();
}

std::string CVexiloDlg::WaitingText() const {
    return m_decor->WaitNoteText();
}

std::string CVexiloDlg::TabCaptionOf(int index) const {
    const CDevDialog& page = *m_pPages[index];
    const Port& port = m_devices[index];
    std::optional<std::uint8_t> series;
    if (page.HasConverter()) {
        // Asked once for the caption; start-up reads at once ask it already.
        page.Converter()->ReadCaption();
        if (page.Converter()->Series() != 0xFF) {
            series = page.Converter()->Series();
        }
    }
    return TabCaption(series, port.kind, port.label);
}

void CVexiloDlg::PlacePage(CDevDialog& page) const {
    // Centred horizontally, and vertically in the area below the tab row, which scrolls when
    // the window had to be made smaller than its pages.
    m_tab->PlacePage(page);
}

std::vector<Port> CVexiloDlg::OpenDevices() const {
    std::vector<Port> open;
    for (int i = 0; i < m_nPages; ++i) {
        if (m_pPages[i] && m_pPages[i]->HasConverter()) {
            open.push_back(m_devices[i]);
        }
    }
    return open;
}

void CVexiloDlg::ForgetClosedPages() {
    int kept = 0;
    for (int i = 0; i < m_nPages; ++i) {
        if (m_pPages[i] && m_pPages[i]->HasConverter()) {
            if (kept != i) {
                m_pPages[kept] = std::move(m_pPages[i]);
                m_devices[kept] = m_devices[i];
            }
            ++kept;
        } else {
            m_pPages[i].reset();
        }
    }
    for (int i = kept; i < m_nPages; ++i) {
        m_devices[i] = Port{};
    }
    m_nPages = kept;
}

bool CVexiloDlg::HasRoomForPage() const {
    return static_cast<int>(OpenDevices().size()) < MAX_DEVICES;
}

CVexiloDlg::AddResult CVexiloDlg::AddPage(const Port& port, PortOpenFailure* failure) {
    if (failure != nullptr) {
        *failure = PortOpenFailure::None;
    }
    if (m_loopLevel < 0) {
        return AddResult::NotYet;  // start-up works on the pages it began with
    }
    if (m_nPages == MAX_DEVICES) {
        ForgetClosedPages();
    }
    if (m_nPages == MAX_DEVICES || !m_factory.create) {
        return AddResult::NoRoom;
    }
    std::unique_ptr<CDevDialog> page = m_factory.create(port.kind);
    if (!page) {
        return AddResult::NotOpened;
    }
    page->AttachDevice(port);
    if (!page->HasConverter()) {
        if (failure != nullptr) {
            *failure = page->OpenFailure();
        }
        return AddResult::NotOpened;  // held by another program, or gone again already
    }
    // Its full start-up runs before the page is one of ours: as at the program's start, a
    // failure there shows its message and only drops the page.
    page->SetLayout(Layout());  // the window's font and width, as for the pages of start-up
    page->Create(m_factory.templateId ? m_factory.templateId(port.kind) : 0, m_tab);
    if (!page->HasConverter()) {
        return AddResult::StartupFailed;
    }
    page->SetComPort(port);
    page->JoinMainWindow(this, -1);
    const int i = m_nPages++;
    m_pPages[i] = std::move(page);
    m_devices[i] = port;
    m_pPages[i]->JoinMainWindow(this, i);
    // Every open page has a tab, in page order, so the new one goes at the end of the row.
    m_tab->InsertItem(m_tab->GetItemCount(), TabCaptionOf(i));
    ++m_nOpenTabs;
    PlacePage(*m_pPages[i]);
    m_pPages[i]->ShowWindow(false);
    if (m_nOpenTabs == 1) {
        // The first tab of a window that waited for converters: shown as a click shows it.
        m_decor->HideWaitNote();
        OnTcnSelchangeTab(nullptr, nullptr);
    }
    return AddResult::Added;
}

CDevDialog* CVexiloDlg::OpenPageOfPort(const Port& port) const {
    for (int i = 0; i < m_nPages; ++i) {
        CDevDialog* page = m_pPages[i].get();
        if (page != nullptr && page->HasConverter() && m_devices[i].Id() == port.Id()) {
            return page;
        }
    }
    return nullptr;
}

void CVexiloDlg::ClosePage(CDevDialog* page) {
    if (page != nullptr && page->HasConverter() && m_loopLevel >= 0) {
        page->CloseOnError(kCloseNoResponse);
    }
}

void CVexiloDlg::OnTcnSelchangeTab(ui::NmHdr*, ui::LResult* pResult) {
    if (CDevDialog* page = ShowPageOfTab(*this, m_tab->GetCurSel())) {
        // The operator sees the tab they chose while its converter is being checked.
        m_tab->Repaint();
        // The converter of a newly shown tab must still answer before the page polls it.
        if (page->Device()->CheckConnection(1, true)) {
            page->OnAutoUpdateClicked();
        } else {
            page->CloseOnError(kCloseNoResponse);
        }
    }
    if (pResult != nullptr) {
        *pResult = 0;
    }
}

bool CVexiloDlg::CommitAllPages(bool bRevert) {
    bool allAccepted = true;
    for (int i = 0; i < m_nPages; ++i) {
        CDevDialog* page = m_pPages[i].get();
        if (page != nullptr && page->HasConverter()) {
            allAccepted = page->Commit(bRevert) && allAccepted;
        }
    }
    return allAccepted;
}

void CVexiloDlg::OnBnClickedSave() {
    // Saved only when no page refused, failed or had anything to tell on the way.
    const int boxes = ui::MessageBoxesShown();
    const int tabs = m_nOpenTabs;
    const bool accepted = CommitAllPages(false);
    ShowSaveNote(accepted && m_nOpenTabs == tabs && ui::MessageBoxesShown() == boxes);
}

void CVexiloDlg::ShowSaveNote(bool saved) {
    KillTimer(kSaveNoteTimerId);
    if (!saved) {
        m_decor->SetSaveNote({}, {});
        return;
    }
    // Between the logo and the leftmost button, wherever the window's layout put them.
    std::optional<ui::Rect> button;
    for (int id : {int{IDC_SAVE}, ui::kIdCancel, ui::kIdOk}) {
        if (IsDlgItemShown(id)) {
            const ui::Rect r = GetDlgItemRect(id);
            button = !button || r.x < button->x ? r : *button;
        }
    }
    const int left = kLogoMargin + m_decor->LogoWidth() + kLogoMargin;
    m_decor->SetSaveNote(Translated(kSavedText), BesideButton(button.value_or(ui::Rect{}), left));
    SetTimer(kSaveNoteTimerId, kSaveNoteMs);
}

std::string CVexiloDlg::SaveNote() const {
    return m_decor->SaveNoteText();
}

void CVexiloDlg::OnTimer(int id) {
    if (id == kSaveNoteTimerId) {
        ShowSaveNote(false);
    }
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
    if (key == ui::kKeyF5 && m_onRescan) {
        m_onRescan();
        return true;
    }
    // Enter and Escape stay with the focused control: they neither press a button nor close.
    if (key == ui::kKeyReturn || key == ui::kKeyEscape || key == ui::kKeyCancel) {
        return false;
    }
    return ui::Dialog::PreTranslateKeyDown(key);
}

}  // namespace vexilo
