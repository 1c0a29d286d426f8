#pragma once

#include <cstdint>

#include "pages/adjust_page.h"

namespace vexilo {

// Controls of the composite page (template 135).
enum : int {
    IDC_BRIGHTNESS_EDIT = 1048,
    IDC_CONTRAST_EDIT = 1049,
    IDC_HUE_EDIT = 1050,
    IDC_BRIGHTNESS_SPIN = 1051,
    IDC_CONTRAST_SPIN = 1052,
    IDC_HUE_SPIN = 1053,
    IDC_SATURATION_EDIT = 1054,
    IDC_SATURATION_SPIN = 1055,
};

// The page of the composite (NTSC) converter: brightness, contrast, hue and saturation. Its
// template keeps the framework's scaler buttons hidden, so the scaler mode read from the
// converter goes back unchanged with every output-settings command.
class CCvbsDialog : public CAdjustPage {
public:
    CCvbsDialog();

    void SetComPort(int nPort) override;
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
