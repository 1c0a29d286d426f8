#pragma once

#include <cstdint>

#include "pages/adjust_page.h"

namespace vexilo {

// The factory phase of an input format, from the converter model.
using model::RgbPhaseDefault;

// The page of the analog RGB converter: position, phase, sync, gain and offset.
class CArgbDialog : public CAdjustPage {
public:
    CArgbDialog();

    void SetComPort(const Port& port) override;
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
