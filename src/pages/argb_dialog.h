#pragma once

#include <cstdint>

#include "pages/adjust_page.h"

namespace vexilo {

// Controls of the analog RGB page (template 134).
enum : int {
    IDC_SYNC_RGB = 1004,  // sync type radios 1004 / 1007 / 1019
    IDC_SYNC_RGBS = 1007,
    IDC_SYNC_RGBHV = 1019,
    IDC_HPOS_SPIN = 1024,
    IDC_HPOS_EDIT = 1025,
    IDC_VPOS_SPIN = 1026,
    IDC_VPOS_EDIT = 1027,
    IDC_GAIN_R_SPIN = 1028,
    IDC_GAIN_R_EDIT = 1029,
    IDC_GAIN_G_SPIN = 1030,
    IDC_GAIN_G_EDIT = 1031,
    IDC_GAIN_B_SPIN = 1032,
    IDC_GAIN_B_EDIT = 1033,
    IDC_OFFSET_R_SPIN = 1035,
    IDC_OFFSET_R_EDIT = 1036,
    IDC_OFFSET_G_SPIN = 1037,
    IDC_OFFSET_G_EDIT = 1038,
    IDC_OFFSET_B_SPIN = 1039,
    IDC_OFFSET_B_EDIT = 1040,
    IDC_OFFSET_AUTO = 1041,
    IDC_PHASE_SPIN = 1042,
    IDC_PHASE_EDIT = 1043,
    IDC_SYNC_AUTO = 1044,
};

// The factory phase of an input format, from the converter model.
using model::RgbPhaseDefault;

// The page of the analog RGB converter: position, phase, sync, gain and offset.
class CArgbDialog : public CAdjustPage {
public:
    CArgbDialog();

    void SetComPort(int nPort) override;
    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    void ReloadAdjustments() override;

    void EnableAdjustControls(bool bEnable);
    void ApplyAutoSetting(int nIndex, bool bCheckFormat);

    void OnPhaseDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult);
    void OnPositionDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult);
    void OnGainDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult);
    void OnOffsetDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult);
    void OnSyncAutoClicked();
    void OnSyncTypeClicked();
    void OnOffsetAutoClicked();
    void OnAdjustFactoryClicked();

    static const ui::MessageMap& ThisMessageMap();
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

    ui::UpDown* m_spinPhase = nullptr;
    ui::UpDown* m_spinHPos = nullptr;
    ui::UpDown* m_spinVPos = nullptr;
    ui::UpDown* m_spinGainR = nullptr;
    ui::UpDown* m_spinGainG = nullptr;
    ui::UpDown* m_spinGainB = nullptr;
    ui::UpDown* m_spinOffsetR = nullptr;
    ui::UpDown* m_spinOffsetG = nullptr;
    ui::UpDown* m_spinOffsetB = nullptr;
    // 0 RGB (3 wires), 1 RGBS (4), 2 RGBHV (5); a value the converter reports beyond these
    // stays here, with no button checked, until the operator picks a button.
    int m_nSyncType = 0;
    bool m_bSyncAuto = false;
    bool m_bOffsetAuto = false;
};

}  // namespace vexilo
