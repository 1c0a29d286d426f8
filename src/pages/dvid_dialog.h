#pragma once

#include <string>

#include "pages/dev_dialog.h"

namespace vexilo {

// The page of the DVI converter: the +5V cable detection, and a cancel that only informs on
// old firmware.
class CDvidDialog : public CDevDialog {
public:
    CDvidDialog();

    void SetComPort(const Port& port) override;
    void CommitSettings(bool bRevert) override;
    void CloseOnError(int nReason) override;
    void RestoreFactorySettings() override;
    std::string FactorySettingsSent() const override;
    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;

    // Shows the cable-detect setting as the converter last reported it.
    void ShowCableDetect();
    void SendCableDetect();
    void OnNoCableCheckClicked();

    static const ui::MessageMap& ThisMessageMap();
    const ui::MessageMap* GetMessageMap() const override { return &ThisMessageMap(); }

    static const std::string& OldFirmwareCaption();
    static std::string OldFirmwareText();  // translated

    // Check box 1059: true = the converter's +5V cable detection is off.
    bool m_bNoCableCheck = false;
};

}  // namespace vexilo
