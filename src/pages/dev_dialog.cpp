#include "pages/dev_dialog.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "discovery/attach.h"
#include "model/converter_model.h"
#include "model/id_rules.h"
#include "model/status_text.h"
#include "pages/ansi_codepage.h"
#include "pages/main_window.h"
#include "protocol/device_requests.h"
#include "ui/text.h"
#include "ui/tr.h"

namespace vexilo {

namespace {

// Version texts come from the converter: converted from the ANSI code page, else shown empty.
std::string FromAnsiOrEmpty(const std::string& bytes) {
    std::string utf8;
    return AnsiToUtf8(bytes, utf8) ? utf8 : std::string();
}

// The time of day as the status group shows it: "HH:mm:ss", local time.
std::string ClockText() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    char text[16] = {};
    if (local == nullptr || std::strftime(text, sizeof text, "%H:%M:%S", local) == 0) {
        return {};
    }
    return text;
}

std::string Translated(const char* text) {
    return ui::Tr("CDevDialog", text);
}

// The messages of a forced close once the page has its tab.
const char* const kNotConnected = ui::TrNoop("CDevDialog", "デバイスが接続されていません");
const char* const kNoResponse = ui::TrNoop(
    "CDevDialog", "デバイスが反応しません\n接続を確認してください\n該当タブを強制クローズします");
const char* const kNotMainFirmware =
    ui::TrNoop("CDevDialog",
               "メインファームウェアで起動していません\nファームウェアの更新を行ってください\n"
               "強制終了します");
const char* const kBootUpdater =
    ui::TrNoop("CDevDialog",
               "ブートファームウェア更新用ファームウェアで起動しています\n"
               "ファームウェアの更新を行ってください\n該当タブを強制クローズします");
const char* const kNotSaved =
    ui::TrNoop("CDevDialog",
               "デバイスが反応しません\n接続を確認してください\n"
               "このデバイスの設定は保存されていません\n該当タブを強制クローズします");
const char* const kNotReverted =
    ui::TrNoop("CDevDialog",
               "デバイスが反応しません\n接続を確認してください\n"
               "このデバイスの設定は元に戻されていません\n該当タブを強制クローズします");

// During start-up no tab exists yet and the panel goes on with the other converters: the message
// says why this one failed, from what its last transaction brought, and that it is left out.
const char* const kNoReply =
    ui::TrNoop("CDevDialog", "デバイスが反応しません\n接続を確認してください");
const char* const kDamagedReply =
    ui::TrNoop("CDevDialog", "デバイスからの応答が壊れています\n接続を確認してください");
const char* const kUnexpectedReply = ui::TrNoop("CDevDialog", "デバイスからの応答が不正です");
const char* const kErrorReply =
    ui::TrNoop("CDevDialog", "デバイスがエラーを返しました（コード 0x%1）");
const char* const kNotMainCause = ui::TrNoop(
    "CDevDialog", "メインファームウェアで起動していません\nファームウェアの更新を行ってください");
const char* const kBootUpdaterCause =
    ui::TrNoop("CDevDialog",
               "ブートファームウェア更新用ファームウェアで起動しています\n"
               "ファームウェアの更新を行ってください");
const char* const kNotUsed = ui::TrNoop("CDevDialog", "このデバイスは使用しません");

// What a failed transaction brought, in the operator's words; `silent` for no reply at all.
std::string ReplyCause(int status, const char* silent) {
    switch (status) {
        case kStatusNoReply:
            return Translated(silent);
        case kStatusNoEtx:
        case kStatusBadCheck:
            return Translated(kDamagedReply);
        case kStatusOk:
            return Translated(kUnexpectedReply);  // a reply that is not what the command expects
        default: {
            char code[8];
            std::snprintf(code, sizeof code, "%02X", static_cast<unsigned>(status & 0xFF));
            return ui::FormatText(Translated(kErrorReply), {code});
        }
    }
}

// The factory-settings question.
const char* const kFactoryIntro = ui::TrNoop("CDevDialog", "出荷時設定に戻します。");
const char* const kFactoryOutput =
    ui::TrNoop("CDevDialog",
               "・出力：1920x1080 59.94p、3G-SDI Level-A、常にスケーリング\n"
               "　すぐにデバイスへ送信します");
const char* const kFactoryId = ui::TrNoop(
    "CDevDialog",
    "・ID機能設定：無効、DID 0x5F、SN・ID・Nameは空\n　次の設定保存でデバイスに書き込まれます");
const char* const kAskContinue = ui::TrNoop("CDevDialog", "よろしいですか？");

}  // namespace

CDevDialog::CDevDialog() = default;

CDevDialog::~CDevDialog() {
    // The timer first: a page that is going away must not poll its converter any more.
    KillTimer(m_nTimerId);
}

const ui::MessageMap& CDevDialog::ThisMessageMap() {
    static const ui::MessageMap map{
        &ui::Dialog::ThisMessageMap(),
        {
            ui::OnBnClicked(IDC_ID_ENABLE, &CDevDialog::OnIdEnableClicked),
            ui::OnEnChange(IDC_ID_SN, &CDevDialog::OnSnChange),
            ui::OnEnKillFocus(IDC_ID_SN, &CDevDialog::OnSnKillFocus),
            ui::OnEnChange(IDC_ID_ID, &CDevDialog::OnIdChange),
            ui::OnEnChange(IDC_ID_NAME, &CDevDialog::OnNameChange),
        }};
    return map;
}

std::vector<ui::MessageMapEntry> CDevDialog::CommonMapEntries(bool withScaler) {
    std::vector<ui::MessageMapEntry> rows{
        ui::OnBnClicked(IDC_UPDATE, &CDevDialog::UpdateStatus),
        ui::OnBnClickedRange(IDC_OUTPUT_59I, IDC_OUTPUT_59P, &CDevDialog::OnOutputFormatClicked),
        ui::OnBnClickedRange(IDC_LEVEL_A, IDC_LEVEL_B, &CDevDialog::OnSdiLevelClicked),
    };
    if (withScaler) {
        rows.push_back(
            ui::OnBnClickedRange(IDC_SCALER_ALWAYS, IDC_SCALER_SYNC, &CDevDialog::OnScalerClicked));
    }
    rows.push_back(ui::OnBnClicked(IDC_FACTORY, &CDevDialog::OnFactoryClicked));
    rows.push_back(ui::OnBnClicked(IDC_AUTO_UPDATE, &CDevDialog::OnAutoUpdateClicked));
    return rows;
}

void CDevDialog::SetTabTitle(const std::string& model, const Port& port) {
    m_szTabTitle = ui::Utf16Left(
        ui::FormatText(ui::Tr("CDevDialog", "%1 (%2)"), {model, port.label}), kTabTitleMax);
}

void CDevDialog::AttachDevice(const Port& port) {
    m_pDevice.reset();
    UseDevice(OpenDeviceLink(port, &m_openFailure));
}

void CDevDialog::UseDevice(std::unique_ptr<CDevLink> device) {
    if (!device) {
        m_pDevice.reset();
        return;
    }
    const std::string label = device->Channel().Label();
    m_pDevice = std::make_unique<model::Converter>(std::move(device), label);
}

int CDevDialog::CloseReason(model::Fault fault) {
    switch (fault) {
        case model::Fault::kNotConnected:
            return kCloseNotConnected;
        case model::Fault::kNotMainFirmware:
            return kCloseNotMainFirmware;
        case model::Fault::kBootUpdater:
            return kCloseBootUpdater;
        default:
            return kCloseNoResponse;
    }
}

void CDevDialog::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    ui::DDX_Text(dx, IDC_FIRMWARE_VER, m_strFirmwareVer);
    ui::DDX_Text(dx, IDC_BOARD_REV, m_strBoardRev);
    ui::DDX_Text(dx, IDC_FPGA_VER, m_strFpgaVer);
    ui::DDX_Radio(dx, IDC_OUTPUT_59I, m_nOutputFormat);
    ui::DDX_Radio(dx, IDC_LEVEL_A, m_nSdiLevel);
    // A scaler mode the radio group cannot show (2) stays as the converter reported it, so the
    // next output-settings command sends it back unchanged instead of "none checked".
    int scaler = m_nScaler;
    ui::DDX_Radio(dx, IDC_SCALER_ALWAYS, scaler);
    if (!dx.m_bSaveAndValidate || scaler >= 0) {
        m_nScaler = scaler;
    }
    ui::DDX_Check(dx, IDC_AUTO_UPDATE, m_bAutoUpdate);
    ui::DDX_Check(dx, IDC_ID_ENABLE, m_bIdEnable);
    ui::DDX_CBString(dx, IDC_ID_DID, m_strDid);
    // Loading the members into the ID edits is the page's own writing: it neither filters nor
    // fills anything in (m_bSettingText), so the texts appear as stored.
    const bool settingText = m_bSettingText;
    m_bSettingText = m_bSettingText || !dx.m_bSaveAndValidate;
    ui::DDX_Text(dx, IDC_ID_SN, m_strSn);
    ui::DDX_Text(dx, IDC_ID_ID, m_strId);
    ui::DDX_Text(dx, IDC_ID_NAME, m_strName);
    m_bSettingText = settingText;
}

bool CDevDialog::OnInitDialog() {
    ui::Dialog::OnInitDialog();

    if (!m_pDevice) {
        CloseOnError(kCloseNotConnected);
        OnAutoUpdateClicked();
        return true;
    }
    // Converters read at once before the pages were built have started already; the page shows
    // what their start-up read and asks nothing again.
    if (!m_pDevice->Started()) {
        m_pDevice->Start(nullptr, false);  // the main window asks the caption's series itself
    }
    const model::Outcome& start = m_pDevice->StartResult();
    if (start.fault == model::Fault::kNotConnected) {
        CloseOnError(kCloseNotConnected);
        OnAutoUpdateClicked();
        return true;
    }

    FillDidList();
    const model::Identity& identity = m_pDevice->Identified();
    m_wFpgaVersion = identity.fpgaVersion;
    m_bOldFirmware = identity.oldFirmware;
    m_strFirmwareVer = "Firmware Ver. : " + FromAnsiOrEmpty(identity.runningVersion) + "/" +
                       FromAnsiOrEmpty(identity.secondVersion);
    m_strBoardRev = ui::FormatText(ui::Tr("CDevDialog", "基板Rev. : %1"),
                                   {std::to_string(identity.boardRevision)});
    m_strFpgaVer = "FPGA Ver. : ---";
    if (model::FpgaKnown(m_wFpgaVersion)) {
        char text[32];
        std::snprintf(text, sizeof text, "FPGA Ver. : 0x%03X", unsigned{m_wFpgaVersion});
        m_strFpgaVer = text;
    }
    if (m_pDevice->IsIdentified()) {
        LoadIdFunction();
    }
    if (const auto& output = m_pDevice->StartOutput()) {
        m_nOutputFormat = output->format;
        m_nSdiLevel = output->level;
        m_nScaler = output->scaler;
    }
    UpdateData(false);
    if (const auto& status = m_pDevice->StartStatus()) {
        ShowStatus(*status);
    }
    EnableDlgItem(IDC_LEVEL_A, m_nOutputFormat != 0);
    EnableDlgItem(IDC_LEVEL_B, m_nOutputFormat != 0);
    if (!start) {
        CloseOnError(CloseReason(start.fault));
    }
    OnAutoUpdateClicked();
    return true;
}

void CDevDialog::ReadStatus() {
    if (!m_pDevice) {
        return;
    }
    requests::StatusBlock status;
    if (const model::Outcome r = m_pDevice->ReadStatus(status); !r) {
        if (r.fault == model::Fault::kNoResponse) {
            CloseOnError(kCloseNoResponse);
        }
        return;  // a short reply changes nothing
    }
    ShowStatus(status);
}

void CDevDialog::ShowStatus(const requests::StatusBlock& block) {
    const model::StatusText s = model::FormatStatus(block);
    SetDlgItemText(IDC_WIDTH, s.width);
    SetDlgItemText(IDC_HEIGHT, s.height);
    SetDlgItemText(IDC_FRAMERATE, s.frameRate);
    SetDlgItemText(IDC_SCAN, s.scanning);
    SetDlgItemText(IDC_FPGA_TEMP, s.fpgaTemperature);
    SetDlgItemText(IDC_MCU_TEMP, s.mcuTemperature);
    SetDlgItemText(IDC_VOLTAGE, s.supplyVoltage);
    SetDlgItemText(IDC_STATUS_TIME,
                   ui::FormatText(ui::Tr("CDevDialog", "最終読み取り %1"), {ClockText()}));
}

void CDevDialog::SendOutputSettings() {
    UpdateData(true);
    EnableDlgItem(IDC_LEVEL_A, m_nOutputFormat != 0);
    EnableDlgItem(IDC_LEVEL_B, m_nOutputFormat != 0);
    if (!m_pDevice) {
        return;
    }
    const requests::OutputSettings settings{static_cast<std::uint8_t>(m_nOutputFormat),
                                            static_cast<std::uint8_t>(m_nSdiLevel),
                                            static_cast<std::uint8_t>(m_nScaler)};
    if (!m_pDevice->SendOutput(settings)) {
        CloseOnError(kCloseNoResponse);
    }
}

void CDevDialog::UpdateStatus() {
    if (m_pDevice) {
        ReadStatus();
    }
}

void CDevDialog::OnOutputFormatClicked() {
    SendOutputSettings();
}

void CDevDialog::OnSdiLevelClicked() {
    SendOutputSettings();
}

void CDevDialog::OnScalerClicked() {
    SendOutputSettings();
}

void CDevDialog::RestoreFactorySettings() {
    if (!m_pDevice) {
        return;
    }
    const model::Outcome sent = m_pDevice->FactorySettings(true);
    m_nOutputFormat = model::kFactoryOutput.format;
    m_nSdiLevel = model::kFactoryOutput.level;
    m_nScaler = model::kFactoryOutput.scaler;
    // The ID group shows what the next save stores: cleared.
    const model::IdFields& id = m_pDevice->Id().fields;
    m_bIdEnable = id.enabled;
    m_strDid = model::DidText(id.did);
    m_strSn = id.sn;
    m_strId = id.id;
    m_strName = id.name;
    m_bIdUnread = false;  // every field is now the page's own: the save replaces them all
    FillDidList();
    UpdateData(false);
    UpdateIdControls();
    EnableDlgItem(IDC_LEVEL_A, m_nOutputFormat != 0);
    EnableDlgItem(IDC_LEVEL_B, m_nOutputFormat != 0);
    if (!sent) {
        CloseOnError(kCloseNoResponse);
    }
}

std::string CDevDialog::FactorySettingsSent() const {
    return Translated(kFactoryOutput);
}

void CDevDialog::OnFactoryClicked() {
    std::string text = Translated(kFactoryIntro) + '\n' + FactorySettingsSent();
    if (m_bIdSupported) {
        text += '\n' + Translated(kFactoryId);
    }
    if (ConfirmChange(text)) {
        RestoreFactorySettings();
    }
}

bool CDevDialog::ConfirmChange(const std::string& text) {
    const std::string question = text + '\n' + Translated(kAskContinue);
    return ui::ShowMessageBox(this, question, m_szTabTitle,
                              ui::kMbYesNo | ui::kMbIconExclamation | ui::kMbDefButton2) ==
           ui::kIdYes;
}

void CDevDialog::OnAutoUpdateClicked() {
    UpdateData(true);
    if (m_bAutoUpdate) {
        EnableDlgItem(IDC_UPDATE, false);
        // A page without a converter has nothing to poll.
        if (m_pDevice) {
            m_nTimerId = SetTimer(kStatusTimerId, kStatusTimerMs);
        }
    } else {
        EnableDlgItem(IDC_UPDATE, true);
        KillTimer(m_nTimerId);
    }
}

void CDevDialog::OnTimer(int) {
    UpdateStatus();
}

void CDevDialog::OnShowWindow(bool show) {
    if (show) {
        PostCall([this] { OnFocusUpdateButton(); });
    }
}

void CDevDialog::OnFocusUpdateButton() {
    GotoDlgCtrl(IDC_UPDATE);
}

bool CDevDialog::PreTranslateKeyDown(int key) {
    if (key == ui::kKeyEscape) {
        return true;  // a page never closes itself
    }
    return ui::Dialog::PreTranslateKeyDown(key);
}

std::string CDevDialog::CloseMessage(int nReason) const {
    const int status = m_pDevice ? m_pDevice->LastStatus() : kStatusNoReply;
    if (Starting()) {
        std::string cause;
        switch (nReason) {
            case kCloseNotConnected:
                cause = ReplyCause(status, kNotConnected);
                break;
            case kCloseNoResponse:
                cause = ReplyCause(status, kNoReply);
                break;
            case kCloseNotMainFirmware:
                cause = Translated(kNotMainCause);
                break;
            case kCloseBootUpdater:
                cause = Translated(kBootUpdaterCause);
                break;
            default:
                return {};
        }
        return cause + '\n' + Translated(kNotUsed);
    }
    switch (nReason) {
        case kCloseNotConnected:
            return Translated(kNotConnected);
        case kCloseNoResponse:
            switch (m_committing) {
                case Committing::kSave:
                    return Translated(kNotSaved);
                case Committing::kRevert:
                    return Translated(kNotReverted);
                case Committing::kNone:
                    break;
            }
            return Translated(kNoResponse);
        case kCloseNotMainFirmware:
            return Translated(kNotMainFirmware);
        case kCloseBootUpdater:
            return Translated(kBootUpdater);
        default:
            return {};
    }
}

void CDevDialog::ShowErrorAndClose(int nReason, int nTabIndex, const std::string& title) {
    // Before its tab exists the page has no title yet; the box still names the converter by the
    // model its kind stands for and its port.
    const std::string named =
        title.empty() && m_pDevice
            ? std::string(m_pDevice->Kind().pageModel) + " (" + m_pDevice->Label() + ")"
            : title;
    const std::string caption = ui::Utf16Left(named + " ERROR", kTabTitleMax);
    KillTimer(m_nTimerId);
    if (const std::string message = CloseMessage(nReason); !message.empty()) {
        ui::ShowMessageBox(this, message, caption, ui::kMbIconExclamation | ui::kMbOk);
    }
    m_pDevice.reset();  // closes the port

    if (m_pMainDlg != nullptr) {
        ui::TabCtrl& tab = m_pMainDlg->TabControl();
        const int selection = tab.GetCurSel();
        if (nTabIndex >= 0) {
            tab.DeleteItem(TabPosition(*m_pMainDlg, this));
        }
        int& openTabs = m_pMainDlg->OpenTabs();
        --openTabs;
        if (openTabs >= 1) {
            tab.SetCurSel(selection - 1 < 0 ? 0 : selection - 1);
            m_pMainDlg->OnTcnSelchangeTab(nullptr, nullptr);
            return;
        }
    } else {
        return;  // still starting: the main window drops the page and goes on with the others
    }
    m_pMainDlg->OnLastTabClosed();
}

void CDevDialog::JoinMainWindow(IMainWindow* window, int tabIndex) {
    m_pMainDlg = window;
    m_nTabIndex = tabIndex;
}

bool CDevDialog::Commit(bool bRevert) {
    m_bIdRejected = false;
    m_committing = bRevert ? Committing::kRevert : Committing::kSave;
    CommitSettings(bRevert);
    m_committing = Committing::kNone;
    return !m_bIdRejected;
}

int TabPosition(const IMainWindow& window, const CDevDialog* page) {
    int position = 0;
    for (int i = 0; i < window.PageCount(); ++i) {
        const CDevDialog* other = window.Page(i);
        if (other == page) {
            break;
        }
        if (other != nullptr && other->HasConverter()) {
            ++position;
        }
    }
    return position;
}

CDevDialog* ShowPageOfTab(const IMainWindow& window, int selection) {
    CDevDialog* shown = nullptr;
    for (int i = 0; i < window.PageCount(); ++i) {
        CDevDialog* page = window.Page(i);
        if (page == nullptr) {
            continue;
        }
        if (page->HasConverter() && TabPosition(window, page) == selection) {
            page->ShowWindow(true);
            shown = page;
        } else {
            page->StopPolling();
            page->ShowWindow(false);
        }
    }
    return shown;
}

bool CDevDialog::CommitGeneralSettings(bool bRevert) {
    if (!bRevert && !ApplyIdFunction()) {
        return false;
    }
    if (!m_pDevice) {
        return false;
    }
    if (!m_pDevice->CommitGeneral(bRevert)) {
        CloseOnError(kCloseNoResponse);
        return false;
    }
    if (!bRevert) {
        IdStored();
    }
    return true;
}

}  // namespace vexilo
