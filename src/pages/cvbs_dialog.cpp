#include "pages/cvbs_dialog.h"

#include <array>
#include <utility>
#include <vector>

#include "discovery/devices.h"

namespace vexilo {

namespace {

const model::KindModel& CvbsModel() {
    return model::KindOf(Kind::Ntsc);
}
const model::Setting* Cvbs(std::uint8_t index) {
    return model::AdjustmentSetting(CvbsModel(), index);
}

const SpinAdjustment kColor[] = {
    {IDC_BRIGHTNESS_SPIN, Cvbs(model::kCvbsBrightness)},
    {IDC_CONTRAST_SPIN, Cvbs(model::kCvbsContrast)},
    {IDC_HUE_SPIN, Cvbs(model::kCvbsHue)},
    {IDC_SATURATION_SPIN, Cvbs(model::kCvbsSaturation)},
};

}  // namespace

CCvbsDialog::CCvbsDialog() = default;

const ui::MessageMap& CCvbsDialog::ThisMessageMap() {
    static const ui::MessageMap map = [] {
        // The scaler buttons are hidden and have no rows here.
        std::vector<ui::MessageMapEntry> rows = CommonMapEntries(false);
        for (const SpinAdjustment& s : kColor) {
            rows.push_back(ui::OnUdnDeltaPos(s.spinId, &CCvbsDialog::OnColorDeltaPos));
        }
        rows.push_back(ui::OnBnClicked(IDC_ADJUST_FACTORY, &CCvbsDialog::OnAdjustFactoryClicked));
        return ui::MessageMap{&CDevDialog::ThisMessageMap(), std::move(rows)};
    }();
    return map;
}

void CCvbsDialog::SetComPort(const Port& port) {
    SetTabTitle(QString::fromLatin1(CvbsModel().pageModel), port);
}

void CCvbsDialog::DoDataExchange(ui::DataExchange& dx) {
    CDevDialog::DoDataExchange(dx);
    ui::DDX_Control(dx, IDC_BRIGHTNESS_SPIN, m_spinBrightness);
    ui::DDX_Control(dx, IDC_CONTRAST_SPIN, m_spinContrast);
    ui::DDX_Control(dx, IDC_HUE_SPIN, m_spinHue);
    ui::DDX_Control(dx, IDC_SATURATION_SPIN, m_spinSaturation);
}

bool CCvbsDialog::OnInitDialog() {
    const bool result = CDevDialog::OnInitDialog();
    ShowDlgItem(IDC_SCALER_ALWAYS, false);
    ShowDlgItem(IDC_SCALER_SYNC, false);
    for (const SpinAdjustment& s : kColor) {
        if (ui::UpDown* spin = Spin(s.spinId)) {
            spin->SetRange32(s.setting->lower, s.setting->upper);
        }
    }
    if (CheckInputFormat(false)) {
        ReloadAdjustments();
    }
    return result;
}

void CCvbsDialog::ReloadAdjustments() {
    UpdateData(true);
    std::array<std::uint16_t, model::kCvbsAdjustmentCount> v{};
    if (!ReadAdjustments(v)) {
        return;
    }
    for (const SpinAdjustment& s : kColor) {
        if (ui::UpDown* spin = Spin(s.spinId)) {
            spin->SetPos32(s.setting->FromWire(v[s.setting->index]));
        }
    }
    UpdateData(false);
    EnableControls({IDC_BRIGHTNESS_EDIT, IDC_CONTRAST_EDIT, IDC_HUE_EDIT, IDC_SATURATION_EDIT,
                    IDC_BRIGHTNESS_SPIN, IDC_CONTRAST_SPIN, IDC_HUE_SPIN, IDC_SATURATION_SPIN,
                    IDC_ADJUST_FACTORY},
                   m_byInputFormat != kFormatNone, NoInputTip());
}

void CCvbsDialog::OnColorDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult) {
    StepSpin(kColor, pNMUpDown, pResult);
}

void CCvbsDialog::OnAdjustFactoryClicked() {
    if (!ConfirmFactoryAdjustments()) {
        return;
    }
    if (CheckInputFormat(false)) {
        ReloadAdjustments();
    }
    std::uint8_t code = 0;
    if (!FactoryFormat(code) || !m_pDevice) {
        return;
    }
    for (const SpinAdjustment& s : kColor) {
        if (ui::UpDown* spin = Spin(s.spinId)) {
            spin->SetPos32(s.setting->FactoryValue(code));
        }
    }
    UpdateData(false);
    for (const SpinAdjustment& s : kColor) {
        if (!m_pDevice) {
            return;  // a failed send closed the page
        }
        UpdateData(true);
        SendAdjustment(s.setting->index, s.setting->ToWire(s.setting->FactoryValue(code)));
    }
}

}  // namespace vexilo
