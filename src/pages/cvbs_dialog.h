#pragma once

#include <cstdint>

#include "pages/adjust_page.h"

namespace vexilo {

// The page of the composite (NTSC) converter: brightness, contrast, hue and saturation. Its
// template keeps the framework's scaler buttons hidden, so the scaler mode read from the
// converter goes back unchanged with every output-settings command.
class CCvbsDialog : public CAdjustPage {
public:
    CCvbsDialog();

    void SetComPort(const Port& port) override;
    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    void ReloadAdjustments() override;

    void OnColorDeltaPos(ui::NmUpDown* pNMUpDown, ui::LResult* pResult);
    void OnAdjustFactoryClicked();

    static const ui::MessageMap& ThisMessageMap();
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

    ui::UpDown* m_spinBrightness = nullptr;
    ui::UpDown* m_spinContrast = nullptr;
    ui::UpDown* m_spinHue = nullptr;
    ui::UpDown* m_spinSaturation = nullptr;
};

}  // namespace vexilo
