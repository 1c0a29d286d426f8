#include "pages/argb_dialog.h"

#include <QCoreApplication>
#include <array>
#include <span>
#include <utility>
#include <vector>

#include "discovery/devices.h"

namespace vexilo {

namespace {

using model::kRgbGainB;
using model::kRgbGainG;
using model::kRgbGainR;
using model::kRgbHPos;
using model::kRgbOffsetAuto;
using model::kRgbOffsetB;
using model::kRgbOffsetG;
using model::kRgbOffsetR;
using model::kRgbPhase;
using model::kRgbSyncAuto;
using model::kRgbSyncType;
using model::kRgbVPos;

const model::KindModel& RgbModel() {
    return model::KindOf(Kind::Rgb);
}
const model::Setting* Rgb(std::uint8_t index) {
    return model::AdjustmentSetting(RgbModel(), index);
}

// The spins of each handler, with their settings in the converter model.
const SpinAdjustment kPhase[] = {{IDC_PHASE_SPIN, Rgb(kRgbPhase)}};
const SpinAdjustment kPosition[] = {
    {IDC_HPOS_SPIN, Rgb(kRgbHPos)},
    {IDC_VPOS_SPIN, Rgb(kRgbVPos)},
};
const SpinAdjustment kGain[] = {
    {IDC_GAIN_R_SPIN, Rgb(kRgbGainR)},
    {IDC_GAIN_G_SPIN, Rgb(kRgbGainG)},
    {IDC_GAIN_B_SPIN, Rgb(kRgbGainB)},
};
const SpinAdjustment kOffset[] = {
    {IDC_OFFSET_R_SPIN, Rgb(kRgbOffsetR)},
    {IDC_OFFSET_G_SPIN, Rgb(kRgbOffsetG)},
    {IDC_OFFSET_B_SPIN, Rgb(kRgbOffsetB)},
};

}  // namespace

CArgbDialog::CArgbDialog() = default;

const ui::MessageMap& CArgbDialog::ThisMessageMap() {
    static const ui::MessageMap map = [] {
        std::vector<ui::MessageMapEntry> rows = CommonMapEntries(true);
        rows.push_back(ui::OnUdnDeltaPos(IDC_PHASE_SPIN, &CArgbDialog::OnPhaseDeltaPos));
        rows.push_back(ui::OnBnClicked(IDC_SYNC_AUTO, &CArgbDialog::OnSyncAutoClicked));
        for (int id : {IDC_SYNC_RGB, IDC_SYNC_RGBS, IDC_SYNC_RGBHV}) {
            rows.push_back(ui::OnBnClicked(id, &CArgbDialog::OnSyncTypeClicked));
        }
        for (int id : {IDC_HPOS_SPIN, IDC_VPOS_SPIN}) {
            rows.push_back(ui::OnUdnDeltaPos(id, &CArgbDialog::OnPositionDeltaPos));
        }
        rows.push_back(ui::OnBnClicked(IDC_OFFSET_AUTO, &CArgbDialog::OnOffsetAutoClicked));
        for (int id : {IDC_GAIN_R_SPIN, IDC_GAIN_G_SPIN, IDC_GAIN_B_SPIN}) {
            rows.push_back(ui::OnUdnDeltaPos(id, &CArgbDialog::OnGainDeltaPos));
        }
        for (int id : {IDC_OFFSET_R_SPIN, IDC_OFFSET_G_SPIN, IDC_OFFSET_B_SPIN}) {
            rows.push_back(ui::OnUdnDeltaPos(id, &CArgbDialog::OnOffsetDeltaPos));
        }
        rows.push_back(ui::OnBnClicked(IDC_ADJUST_FACTORY, &CArgbDialog::OnAdjustFactoryClicked));
        return ui::MessageMap{&CDevDialog::ThisMessageMap(), std::move(rows)};
    }();
    return map;
}

void CArgbDialog::SetComPort(const Port& port) {
    SetTabTitle(QString::fromLatin1(RgbModel().pageModel), port);
}

void CArgbDialog::DoDataExchange(ui::DataExchange& dx) {
    CDevDialog::DoDataExchange(dx);
    ui::DDX_Control(dx, IDC_PHASE_SPIN, m_spinPhase);
    ui::DDX_Control(dx, IDC_HPOS_SPIN, m_spinHPos);
    ui::DDX_Control(dx, IDC_VPOS_SPIN, m_spinVPos);
    ui::DDX_Control(dx, IDC_GAIN_R_SPIN, m_spinGainR);
    ui::DDX_Control(dx, IDC_GAIN_G_SPIN, m_spinGainG);
    ui::DDX_Control(dx, IDC_GAIN_B_SPIN, m_spinGainB);
    ui::DDX_Control(dx, IDC_OFFSET_R_SPIN, m_spinOffsetR);
    ui::DDX_Control(dx, IDC_OFFSET_G_SPIN, m_spinOffsetG);
    ui::DDX_Control(dx, IDC_OFFSET_B_SPIN, m_spinOffsetB);
    // A sync type no button stands for keeps the converter's value until a button is picked.
    int syncType = m_nSyncType;
    ui::DDX_Radio(dx, IDC_SYNC_RGB, syncType);
    if (!dx.m_bSaveAndValidate || syncType >= 0) {
        m_nSyncType = syncType;
    }
    ui::DDX_Check(dx, IDC_SYNC_AUTO, m_bSyncAuto);
    ui::DDX_Check(dx, IDC_OFFSET_AUTO, m_bOffsetAuto);
}

bool CArgbDialog::OnInitDialog() {
    const bool result = CDevDialog::OnInitDialog();
    for (std::span<const SpinAdjustment> group :
         {std::span<const SpinAdjustment>(kPosition), std::span<const SpinAdjustment>(kGain),
          std::span<const SpinAdjustment>(kOffset), std::span<const SpinAdjustment>(kPhase)}) {
        for (const SpinAdjustment& s : group) {
            if (ui::UpDown* spin = Spin(s.spinId)) {
                spin->SetRange32(s.setting->lower, s.setting->upper);
            }
        }
    }
    if (CheckInputFormat(false)) {
        ReloadAdjustments();
    }
    // Sync auto only shows the converter's setting; the reload and the factory values set it.
    EnableDlgItem(IDC_SYNC_AUTO, false);
    SetDlgItemTip(
        IDC_SYNC_AUTO,
        QCoreApplication::translate(
            "CArgbDialog", "コンバーターの同期信号自動判別の設定を表示します（変更不可）"));
    return result;
}

void CArgbDialog::ReloadAdjustments() {
    UpdateData(true);
    std::array<std::uint16_t, model::kRgbAdjustmentCount> v{};
    if (!ReadAdjustments(v)) {
        return;
    }
    auto show = [&](std::span<const SpinAdjustment> spins) {
        for (const SpinAdjustment& s : spins) {
            if (ui::UpDown* spin = Spin(s.spinId)) {
                spin->SetPos32(s.setting->FromWire(v[s.setting->index]));
            }
        }
    };
    show(kPhase);
    show(kPosition);
    show(kGain);
    m_bOffsetAuto = Rgb(kRgbOffsetAuto)->FromWire(v[kRgbOffsetAuto]) != 0;
    show(kOffset);
    m_bSyncAuto = Rgb(kRgbSyncAuto)->FromWire(v[kRgbSyncAuto]) != 0;
    m_nSyncType = v[kRgbSyncType];
    UpdateData(false);
    EnableAdjustControls(m_byInputFormat != kFormatNone);
    // The Auto rules come last: with an Auto box off its controls stay usable without input.
    ApplyAutoSetting(kRgbSyncAuto, false);
    ApplyAutoSetting(kRgbOffsetAuto, false);
}

void CArgbDialog::EnableAdjustControls(bool bEnable) {
    EnableControls({IDC_HPOS_EDIT,     IDC_VPOS_EDIT,     IDC_HPOS_SPIN,     IDC_VPOS_SPIN,
                    IDC_PHASE_EDIT,    IDC_PHASE_SPIN,    IDC_GAIN_R_EDIT,   IDC_GAIN_G_EDIT,
                    IDC_GAIN_B_EDIT,   IDC_GAIN_R_SPIN,   IDC_GAIN_G_SPIN,   IDC_GAIN_B_SPIN,
                    IDC_OFFSET_AUTO,   IDC_OFFSET_R_EDIT, IDC_OFFSET_G_EDIT, IDC_OFFSET_B_EDIT,
                    IDC_OFFSET_R_SPIN, IDC_OFFSET_G_SPIN, IDC_OFFSET_B_SPIN, IDC_ADJUST_FACTORY},
                   bEnable, NoInputTip());
}

void CArgbDialog::ApplyAutoSetting(int nIndex, bool bCheckFormat) {
    if (bCheckFormat && CheckInputFormat(false)) {
        ReloadAdjustments();
        return;
    }
    if (!m_pDevice) {
        return;
    }
    UpdateData(true);
    std::uint16_t value = 0;
    if (nIndex == kRgbSyncAuto) {
        EnableControls({IDC_SYNC_RGB, IDC_SYNC_RGBS, IDC_SYNC_RGBHV}, !m_bSyncAuto);
        value = m_bSyncAuto ? 1 : 0;
    } else if (nIndex == kRgbOffsetAuto) {
        EnableControls({IDC_OFFSET_R_EDIT, IDC_OFFSET_G_EDIT, IDC_OFFSET_B_EDIT, IDC_OFFSET_R_SPIN,
                        IDC_OFFSET_G_SPIN, IDC_OFFSET_B_SPIN},
                       !m_bOffsetAuto);
        value = m_bOffsetAuto ? 1 : 0;
    } else {
        return;
    }
    SendAdjustment(static_cast<std::uint8_t>(nIndex), value);
}

void CArgbDialog::OnPhaseDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult) {
    StepSpin(kPhase, pNMUpDown, pResult);
}

void CArgbDialog::OnPositionDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult) {
    StepSpin(kPosition, pNMUpDown, pResult);
}

void CArgbDialog::OnGainDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult) {
    StepSpin(kGain, pNMUpDown, pResult);
}

void CArgbDialog::OnOffsetDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult) {
    StepSpin(kOffset, pNMUpDown, pResult);
}

void CArgbDialog::OnSyncAutoClicked() {
    ApplyAutoSetting(kRgbSyncAuto, true);
}

void CArgbDialog::OnOffsetAutoClicked() {
    ApplyAutoSetting(kRgbOffsetAuto, true);
}

void CArgbDialog::OnSyncTypeClicked() {
    if (CheckInputFormat(false)) {
        ReloadAdjustments();
        return;
    }
    if (!m_pDevice) {
        return;
    }
    UpdateData(true);
    SendAdjustment(kRgbSyncType, static_cast<std::uint16_t>(m_nSyncType));
}

void CArgbDialog::OnAdjustFactoryClicked() {
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
    auto factory = [code](std::uint8_t index) { return Rgb(index)->FactoryValue(code); };
    m_bOffsetAuto = factory(kRgbOffsetAuto) != 0;
    m_bSyncAuto = factory(kRgbSyncAuto) != 0;
    m_nSyncType = factory(kRgbSyncType);
    for (std::span<const SpinAdjustment> group :
         {std::span<const SpinAdjustment>(kPosition), std::span<const SpinAdjustment>(kGain),
          std::span<const SpinAdjustment>(kOffset), std::span<const SpinAdjustment>(kPhase)}) {
        for (const SpinAdjustment& s : group) {
            if (ui::UpDown* spin = Spin(s.spinId)) {
                spin->SetPos32(factory(s.setting->index));
            }
        }
    }
    UpdateData(false);

    // The model lists the adjustments in the order this button sends them; the two Auto
    // switches go through their own step, which also enables or disables their controls.
    for (const model::Setting& s : RgbModel().settings) {
        if (!s.PerFormat()) {
            continue;
        }
        if (!m_pDevice) {
            return;  // a failed send closed the page
        }
        if (s.index == kRgbSyncAuto || s.index == kRgbOffsetAuto) {
            ApplyAutoSetting(s.index, false);
            continue;
        }
        UpdateData(true);
        SendAdjustment(s.index, s.ToWire(factory(s.index)));
    }
}

}  // namespace vexilo
