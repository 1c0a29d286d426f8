#include "pages/dev_dialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTime>
#include <array>
#include <cstring>
#include <string>

#include "discovery/attach.h"
#include "model/converter_model.h"
#include "model/id_rules.h"
#include "pages/ansi_codepage.h"
#include "pages/main_window.h"
#include "protocol/device_requests.h"

namespace vexilo {

namespace {

constexpr int kStartupAttempts = 5;
using model::kVersionTextSize;

// A version text buffer: up to its first zero byte or its 16th byte.
std::string VersionText(const std::array<std::uint8_t, kVersionTextSize>& buffer) {
    return model::FieldText(buffer.data(), buffer.size());
}

// Version texts come from the converter: converted from the ANSI code page, else shown empty.
QString FromAnsiOrEmpty(const std::string& bytes) {
    std::string utf8;
    return AnsiToUtf8(bytes, utf8) ? QString::fromStdString(utf8) : QString();
}

QString Dimension(std::uint16_t v) {
    return v == requests::kNoInput ? QStringLiteral("-----") : QString::number(v);
}

QString FrameRate(std::uint16_t v) {
    if (v == requests::kNoInput) {
        return QStringLiteral("-----");
    }
    if (v % 100 == 0) {
        return QString::number(v / 100);
    }
    return QString::asprintf("%.2f", v / 100.0);
}

QString Scanning(std::uint8_t v) {
    switch (v) {
        case 1:
            return QStringLiteral("interlace");
        case 2:
            return QStringLiteral("progressive");
        default:
            return QStringLiteral("-----");
    }
}

QString Tenths(int v) {
    return QString::asprintf("%.1f", v / 10.0);
}

QString Tr(const char* text) {
    return QCoreApplication::translate("CDevDialog", text);
}

// The messages of a forced close once the page has its tab.
const char* const kNotConnected = QT_TRANSLATE_NOOP("CDevDialog", "デバイスが接続されていません");
const char* const kNoResponse = QT_TRANSLATE_NOOP(
    "CDevDialog", "デバイスが反応しません\n接続を確認してください\n該当タブを強制クローズします");
const char* const kNotMainFirmware = QT_TRANSLATE_NOOP(
    "CDevDialog",
    "メインファームウェアで起動していません\nファームウェアの更新を行ってください\n"
    "強制終了します");
const char* const kBootUpdater =
    QT_TRANSLATE_NOOP("CDevDialog",
                      "ブートファームウェア更新用ファームウェアで起動しています\n"
                      "ファームウェアの更新を行ってください\n該当タブを強制クローズします");
const char* const kNotSaved =
    QT_TRANSLATE_NOOP("CDevDialog",
                      "デバイスが反応しません\n接続を確認してください\n"
                      "このデバイスの設定は保存されていません\n該当タブを強制クローズします");
const char* const kNotReverted =
    QT_TRANSLATE_NOOP("CDevDialog",
                      "デバイスが反応しません\n接続を確認してください\n"
                      "このデバイスの設定は元に戻されていません\n該当タブを強制クローズします");

// During start-up no tab exists yet and the panel goes on with the other converters: the message
// says why this one failed, from what its last transaction brought, and that it is left out.
const char* const kNoReply =
    QT_TRANSLATE_NOOP("CDevDialog", "デバイスが反応しません\n接続を確認してください");
const char* const kDamagedReply =
    QT_TRANSLATE_NOOP("CDevDialog", "デバイスからの応答が壊れています\n接続を確認してください");
const char* const kUnexpectedReply =
    QT_TRANSLATE_NOOP("CDevDialog", "デバイスからの応答が不正です");
const char* const kErrorReply =
    QT_TRANSLATE_NOOP("CDevDialog", "デバイスがエラーを返しました（コード 0x%1）");
const char* const kNotMainCause = QT_TRANSLATE_NOOP(
    "CDevDialog", "メインファームウェアで起動していません\nファームウェアの更新を行ってください");
const char* const kBootUpdaterCause =
    QT_TRANSLATE_NOOP("CDevDialog",
                      "ブートファームウェア更新用ファームウェアで起動しています\n"
                      "ファームウェアの更新を行ってください");
const char* const kNotUsed = QT_TRANSLATE_NOOP("CDevDialog", "このデバイスは使用しません");

// What a failed transaction brought, in the operator's words; `silent` for no reply at all.
QString ReplyCause(int status, const char* silent) {
    switch (status) {
        case kStatusNoReply:
            return Tr(silent);
        case kStatusNoEtx:
        case kStatusBadCheck:
            return Tr(kDamagedReply);
        case kStatusOk:
            return Tr(kUnexpectedReply);  // a reply that is not what the command expects
        default:
            return Tr(kErrorReply)
                .arg(QStringLiteral("%1").arg(status & 0xFF, 2, 16, QLatin1Char('0')).toUpper());
    }
}

// The factory-settings question.
const char* const kFactoryIntro = QT_TRANSLATE_NOOP("CDevDialog", "出荷時設定に戻します。");
const char* const kFactoryOutput =
    QT_TRANSLATE_NOOP("CDevDialog",
                      "・出力：1920x1080 59.94p、3G-SDI Level-A、常にスケーリング\n"
                      "　すぐにデバイスへ送信します");
const char* const kFactoryId = QT_TRANSLATE_NOOP(
    "CDevDialog",
    "・ID機能設定：無効、DID 0x5F、SN・ID・Nameは空\n　次の設定保存でデバイスに書き込まれます");
const char* const kAskContinue = QT_TRANSLATE_NOOP("CDevDialog", "よろしいですか？");

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

void CDevDialog::SetTabTitle(const QString& model, const Port& port) {
    m_szTabTitle = QCoreApplication::translate("CDevDialog", "%1 (%2)")
                       .arg(model, QString::fromStdString(port.label))
                       .left(kTabTitleMax);
}

void CDevDialog::AttachDevice(const Port& port) {
    m_pDevice = OpenDeviceLink(port, &m_openFailure);
}

void CDevDialog::DoDataExchange(ui::DataExchange& dx) {
    ui::Dialog::DoDataExchange(dx);
    ui::DDX_Text(dx, IDC_FIRMWARE_VER, m_strFirmwareVer);
    ui::DDX_Text(dx, IDC_BOARD_REV, m_strBoardRev);
    ui::DDX_Text(dx, IDC_FPGA_VER, m_strFpgaVer);
    ui::DDX_Control(dx, IDC_WIDTH, m_edWidth);
    ui::DDX_Control(dx, IDC_HEIGHT, m_edHeight);
    ui::DDX_Control(dx, IDC_FRAMERATE, m_edFramerate);
    ui::DDX_Control(dx, IDC_SCAN, m_edScan);
    ui::DDX_Control(dx, IDC_FPGA_TEMP, m_edFpgaTemp);
    ui::DDX_Control(dx, IDC_MCU_TEMP, m_edMcuTemp);
    ui::DDX_Control(dx, IDC_VOLTAGE, m_edVoltage);
    ui::DDX_Radio(dx, IDC_OUTPUT_59I, m_nOutputFormat);
    ui::DDX_Radio(dx, IDC_LEVEL_A, m_nSdiLevel);
    // A scaler mode the radio group cannot show (2) stays as the converter reported it, so the
    // next output-settings command sends it back unchanged instead of "none checked".
    int scaler = m_nScaler;
    ui::DDX_Radio(dx, IDC_SCALER_ALWAYS, scaler);
    if (!dx.m_bSaveAndValidate || scaler >= 0) {
        m_nScaler = scaler;
    }
    ui::DDX_Control(dx, IDC_UPDATE, m_btnUpdate);
    ui::DDX_Check(dx, IDC_AUTO_UPDATE, m_bAutoUpdate);
    ui::DDX_Check(dx, IDC_ID_ENABLE, m_bIdEnable);
    ui::DDX_Control(dx, IDC_ID_DID, m_cbDid);
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

    if (!m_pDevice || !m_pDevice->CheckConnection(kStartupAttempts, false)) {
        CloseOnError(kCloseNotConnected);
        OnAutoUpdateClicked();
        return true;
    }

    FillDidList();

    m_wFpgaVersion = model::kFpgaNotRead;
    std::array<std::uint8_t, kVersionTextSize> running{};
    std::array<std::uint8_t, kVersionTextSize> second{};
    m_pDevice->GetVersionInfo(model::kVersionRunning, running.data(), kVersionTextSize);
    const bool runningAnswered = m_pDevice->Channel().m_nStatus == kStatusOk;
    m_pDevice->GetVersionInfo(model::kVersionSecond, second.data(), kVersionTextSize);
    const bool secondAnswered = m_pDevice->Channel().m_nStatus == kStatusOk;
    const std::string a = VersionText(running);
    const std::string b = VersionText(second);
    switch (model::CheckFirmware(a, b)) {
        case model::Firmware::kNotMain:
            // Two texts that never arrived are equal too: that converter did not answer, and its
            // firmware is not to blame.
            CloseOnError(runningAnswered || secondAnswered ? kCloseNotMainFirmware
                                                           : kCloseNoResponse);
            break;
        case model::Firmware::kBootUpdater:
            CloseOnError(kCloseBootUpdater);
            break;
        case model::Firmware::kMain:
            break;
    }
    if (!m_pDevice) {
        return true;
    }
    m_bOldFirmware = model::IsOldFirmware(a);

    std::uint8_t boardRev = 0;
    m_pDevice->GetVersionInfo(model::kVersionBoard, &boardRev, 1);
    // Little-endian; a read that fails or stops short leaves high bits that mark "not read".
    std::array<std::uint8_t, 2> fpga{0x00, 0xF0};
    m_pDevice->GetVersionInfo(model::kVersionFpga, fpga.data(), 2);
    m_wFpgaVersion = static_cast<std::uint16_t>(fpga[0] | (fpga[1] << 8));

    m_strFirmwareVer =
        QStringLiteral("Firmware Ver. : %1/%2").arg(FromAnsiOrEmpty(a), FromAnsiOrEmpty(b));
    m_strBoardRev = QCoreApplication::translate("CDevDialog", "基板Rev. : %1").arg(boardRev);
    m_strFpgaVer = model::FpgaKnown(m_wFpgaVersion)
                       ? QString::asprintf("FPGA Ver. : 0x%03X", m_wFpgaVersion)
                       : QStringLiteral("FPGA Ver. : ---");

    LoadIdFunction();

    const auto output = requests::GetOutputSettings(m_pDevice->Channel());
    if (output.Failed()) {
        CloseOnError(kCloseNoResponse);
        OnAutoUpdateClicked();
        return true;
    }
    if (output.HasValue()) {
        const requests::OutputSettings taken = model::SanitizeOutputSettings(output.value);
        m_nOutputFormat = taken.format;
        m_nSdiLevel = taken.level;
        m_nScaler = taken.scaler;
    }

    UpdateData(false);
    ReadStatus();
    EnableDlgItem(IDC_LEVEL_A, m_nOutputFormat != 0);
    EnableDlgItem(IDC_LEVEL_B, m_nOutputFormat != 0);

    OnAutoUpdateClicked();
    return true;
}

void CDevDialog::ReadStatus() {
    if (!m_pDevice) {
        return;
    }
    const auto status = requests::ReadStatus(m_pDevice->Channel());
    if (status.Failed()) {
        CloseOnError(kCloseNoResponse);
        return;
    }
    if (!status.HasValue()) {
        return;  // a short reply changes nothing
    }
    const requests::StatusBlock& s = status.value;
    SetDlgItemText(IDC_WIDTH, Dimension(s.width));
    SetDlgItemText(IDC_HEIGHT, Dimension(s.height));
    SetDlgItemText(IDC_FRAMERATE, FrameRate(s.frameRate));
    SetDlgItemText(IDC_SCAN, Scanning(s.scanning));
    SetDlgItemText(IDC_FPGA_TEMP, Tenths(s.fpgaTemperature));
    SetDlgItemText(IDC_MCU_TEMP, Tenths(s.mcuTemperature));
    SetDlgItemText(IDC_VOLTAGE, Tenths(s.supplyVoltage));
    SetDlgItemText(IDC_STATUS_TIME,
                   QCoreApplication::translate("CDevDialog", "最終読み取り %1")
                       .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
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
    if (!requests::SendOutputSettings(m_pDevice->Channel(), settings)) {
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
    m_nOutputFormat = model::kFactoryOutput.format;
    m_nSdiLevel = model::kFactoryOutput.level;
    m_nScaler = model::kFactoryOutput.scaler;
    m_bIdEnable = false;
    m_strDid = QString::fromStdString(model::DidText(kIdDidDefault));
    m_strSn.clear();
    m_strId.clear();
    m_strName.clear();
    m_nIdReset = kIdFieldEnable | kIdFieldDid | kIdFieldSerial | kIdFieldId | kIdFieldName;
    m_bIdUnread = false;  // every field is now the page's own: the save replaces them all
    FillDidList();
    UpdateData(false);
    UpdateIdControls();
    SendOutputSettings();
}

QString CDevDialog::FactorySettingsSent() const {
    return Tr(kFactoryOutput);
}

void CDevDialog::OnFactoryClicked() {
    QString text = Tr(kFactoryIntro) + QLatin1Char('\n') + FactorySettingsSent();
    if (m_bIdSupported) {
        text += QLatin1Char('\n') + Tr(kFactoryId);
    }
    if (ConfirmChange(text)) {
        RestoreFactorySettings();
    }
}

bool CDevDialog::ConfirmChange(const QString& text) {
    const QString question = text + QLatin1Char('\n') + Tr(kAskContinue);
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
    if (key == Qt::Key_Escape) {
        return true;  // a page never closes itself
    }
    return ui::Dialog::PreTranslateKeyDown(key);
}

QString CDevDialog::CloseMessage(int nReason) const {
    const int status = m_pDevice ? m_pDevice->Channel().m_nStatus : kStatusNoReply;
    if (Starting()) {
        QString cause;
        switch (nReason) {
            case kCloseNotConnected:
                cause = ReplyCause(status, kNotConnected);
                break;
            case kCloseNoResponse:
                cause = ReplyCause(status, kNoReply);
                break;
            case kCloseNotMainFirmware:
                cause = Tr(kNotMainCause);
                break;
            case kCloseBootUpdater:
                cause = Tr(kBootUpdaterCause);
                break;
            default:
                return {};
        }
        return cause + QLatin1Char('\n') + Tr(kNotUsed);
    }
    switch (nReason) {
        case kCloseNotConnected:
            return Tr(kNotConnected);
        case kCloseNoResponse:
            switch (m_committing) {
                case Committing::kSave:
                    return Tr(kNotSaved);
                case Committing::kRevert:
                    return Tr(kNotReverted);
                case Committing::kNone:
                    break;
            }
            return Tr(kNoResponse);
        case kCloseNotMainFirmware:
            return Tr(kNotMainFirmware);
        case kCloseBootUpdater:
            return Tr(kBootUpdater);
        default:
            return {};
    }
}

void CDevDialog::ShowErrorAndClose(int nReason, int nTabIndex, const QString& title) {
    // Before its tab exists the page has no title yet; the box still names the converter by the
    // model its kind stands for and its port.
    const QString named = title.isEmpty() && m_pDevice
                              ? QStringLiteral("%1 (%2)").arg(
                                    QString::fromLatin1(model::KindOf(m_pDevice->m_kind).pageModel),
                                    QString::fromStdString(m_pDevice->Channel().Label()))
                              : title;
    const QString caption = (named + QStringLiteral(" ERROR")).left(kTabTitleMax);
    KillTimer(m_nTimerId);
    if (const QString message = CloseMessage(nReason); !message.isEmpty()) {
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
            page->show();
            shown = page;
        } else {
            page->StopPolling();
            page->hide();
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
    if (!m_pDevice->CommitDeviceSettings(bRevert ? 1 : 0)) {
        CloseOnError(kCloseNoResponse);
        return false;
    }
    if (!bRevert) {
        IdStored();
    }
    return true;
}

}  // namespace vexilo
