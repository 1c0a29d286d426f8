#include "pages/dvid_dialog.h"

#include <QCoreApplication>
#include <utility>
#include <vector>

#include "discovery/devices.h"
#include "model/converter_model.h"
#include "protocol/device_requests.h"

namespace vexilo {

CDvidDialog::CDvidDialog() = default;

const QString& CDvidDialog::OldFirmwareCaption() {
    // The caption as the converter's users know it, misspelling included.
    static const QString caption = QStringLiteral("KTP-DVI-SDI Frimware Ver. 1.x");
    return caption;
}

QString CDvidDialog::OldFirmwareText() {
    return QCoreApplication::translate("CDvidDialog",
                                       "デバイスに設定値は保存されませんが、\nこのFirmware "
                                       "Versionでは現在の設定値はそのままです。\n"
                                       "デバイスがリセットされたときに元に戻ります。");
}

const ui::MessageMap& CDvidDialog::ThisMessageMap() {
    static const ui::MessageMap map = [] {
        std::vector<ui::MessageMapEntry> rows = CommonMapEntries(true);
        rows.push_back(ui::OnBnClicked(IDC_NO_CABLE_CHECK, &CDvidDialog::OnNoCableCheckClicked));
        return ui::MessageMap{&CDevDialog::ThisMessageMap(), std::move(rows)};
    }();
    return map;
}

void CDvidDialog::SetComPort(const Port& port) {
    // Several kinds share this page; each titles it with its own model string.
    SetTabTitle(QString::fromLatin1(model::KindOf(port.kind).pageModel), port);
}

void CDvidDialog::CloseOnError(int nReason) {
    ShowErrorAndClose(nReason, m_nTabIndex, m_szTabTitle);
}

void CDvidDialog::DoDataExchange(ui::DataExchange& dx) {
    CDevDialog::DoDataExchange(dx);
    ui::DDX_Check(dx, IDC_NO_CABLE_CHECK, m_bNoCableCheck);
}

bool CDvidDialog::OnInitDialog() {
    const bool result = CDevDialog::OnInitDialog();
    LoadCableDetect();
    UpdateData(false);
    return result;
}

void CDvidDialog::LoadCableDetect() {
    if (!m_pDevice) {
        return;
    }
    const auto reply = requests::GetCableDetect(m_pDevice->Channel());
    if (reply.HasValue()) {
        m_bNoCableCheck = reply.value == 0;
        return;
    }
    if (reply.Unsupported() || !reply.Failed()) {
        // Firmware without the setting, or a reply that is not one byte: the converter answered
        // but the setting is unknown. Shown cleared and greyed out for the page's life, so
        // neither a click nor "出荷時設定" writes a setting chosen on a guess.
        m_bNoCableCheck = false;
        EnableDlgItem(IDC_NO_CABLE_CHECK, false);
        SetDlgItemTip(
            IDC_NO_CABLE_CHECK,
            reply.Unsupported()
                ? QCoreApplication::translate(
                      "CDvidDialog", "このファームウェアはケーブル検出の設定に対応していません")
                : QCoreApplication::translate("CDvidDialog",
                                              "ケーブル検出の設定を読み取れませんでした"));
        return;
    }
    CloseOnError(kCloseNoResponse);
}

void CDvidDialog::SendCableDetect() {
    UpdateData(true);
    if (!m_pDevice) {
        return;
    }
    if (!requests::SetCableDetect(m_pDevice->Channel(), m_bNoCableCheck ? 0 : 1)) {
        CloseOnError(kCloseNoResponse);
    }
}

void CDvidDialog::OnNoCableCheckClicked() {
    SendCableDetect();
}

void CDvidDialog::RestoreFactorySettings() {
    if (IsDlgItemEnabled(IDC_NO_CABLE_CHECK)) {
        m_bNoCableCheck = false;  // cable detection on
        UpdateData(false);
        SendCableDetect();
    }
    CDevDialog::RestoreFactorySettings();
}

QString CDvidDialog::FactorySettingsSent() const {
    QString sent = CDevDialog::FactorySettingsSent();
    if (IsDlgItemEnabled(IDC_NO_CABLE_CHECK)) {
        sent +=
            QLatin1Char('\n') +
            QCoreApplication::translate(
                "CDvidDialog", "・+5V Cable Detectをチェックする\n　すぐにデバイスへ送信します");
    }
    return sent;
}

void CDvidDialog::CommitSettings(bool bRevert) {
    if (m_bOldFirmware && bRevert) {
        // This firmware cannot revert: say so and leave the converter as it is.
        ui::ShowMessageBox(this, OldFirmwareText(), OldFirmwareCaption(),
                           ui::kMbIconInformation | ui::kMbOk);
        return;
    }
    CommitGeneralSettings(bRevert);
}

}  // namespace vexilo
