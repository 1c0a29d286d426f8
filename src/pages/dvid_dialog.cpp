#include "pages/dvid_dialog.h"

#include <utility>
#include <vector>

#include "discovery/devices.h"
#include "model/converter_model.h"
#include "ui/tr.h"

namespace vexilo {

CDvidDialog::CDvidDialog() = default;

const std::string& CDvidDialog::OldFirmwareCaption() {
    // The caption as the converter's users know it, misspelling included.
    static const std::string caption = "KTP-DVI-SDI Frimware Ver. 1.x";
    return caption;
}

std::string CDvidDialog::OldFirmwareText() {
    return ui::Tr("CDvidDialog",
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
    SetTabTitle(model::KindOf(port.kind).pageModel, port);
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
    ShowCableDetect();
    UpdateData(false);
    return result;
}

void CDvidDialog::ShowCableDetect() {
    if (!m_pDevice) {
        return;
    }
    switch (m_pDevice->CableDetectSetting()) {
        case model::CableDetect::kOn:
        case model::CableDetect::kOff:
            m_bNoCableCheck = m_pDevice->CableDetectSetting() == model::CableDetect::kOff;
            return;
        case model::CableDetect::kUnsupported:
        case model::CableDetect::kUnreadable:
            break;
        case model::CableDetect::kUnknown:
            return;
    }
    // Firmware without the setting, or a reply that is not one byte: the converter answered but
    // the setting is unknown. Shown cleared and greyed out for the page's life, so neither a
    // click nor "出荷時設定" writes a setting chosen on a guess.
    m_bNoCableCheck = false;
    EnableDlgItem(IDC_NO_CABLE_CHECK, false);
    SetDlgItemTip(
        IDC_NO_CABLE_CHECK,
        m_pDevice->CableDetectSetting() == model::CableDetect::kUnsupported
            ? ui::Tr("CDvidDialog", "このファームウェアはケーブル検出の設定に対応していません")
            : ui::Tr("CDvidDialog", "ケーブル検出の設定を読み取れませんでした"));
}

void CDvidDialog::SendCableDetect() {
    UpdateData(true);
    if (!m_pDevice) {
        return;
    }
    if (!m_pDevice->SetCableDetect(!m_bNoCableCheck)) {
        CloseOnError(kCloseNoResponse);
    }
}

void CDvidDialog::OnNoCableCheckClicked() {
    SendCableDetect();
}

void CDvidDialog::RestoreFactorySettings() {
    // The converter turns the cable detection on first, when its setting is known.
    CDevDialog::RestoreFactorySettings();
    ShowCableDetect();
    UpdateData(false);
}

std::string CDvidDialog::FactorySettingsSent() const {
    std::string sent = CDevDialog::FactorySettingsSent();
    if (IsDlgItemEnabled(IDC_NO_CABLE_CHECK)) {
        sent += '\n' + ui::Tr("CDvidDialog",
                              "・+5V Cable Detectをチェックする\n　すぐにデバイスへ送信します");
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
