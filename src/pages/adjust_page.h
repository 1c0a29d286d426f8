#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "model/converter_model.h"
#include "pages/dev_dialog.h"

namespace vexilo {

// Input-format markers of the format members. Codes below kFormatFailed are input formats.
inline constexpr std::uint8_t kFormatFailed = 0xF0;    // the query failed
inline constexpr std::uint8_t kFormatNotAsked = 0xFE;  // the converter has not been asked yet
inline constexpr std::uint8_t kFormatNone = 0xFF;      // the converter sees no input signal

// One adjustment shown on a spin: its range, index and the mapping of positions to converter
// values come from the converter model.
struct SpinAdjustment {
    int spinId;
    const model::Setting* setting;
};

// Base of the pages whose converter keeps one set of adjustment values per input format (analog
// RGB and composite): the input-format tracking with its message, the status refresh that runs
// it, the save and revert with the adjustment table, and the spin-step pattern. A page supplies
// the reload of its values and its controls.
class CAdjustPage : public CDevDialog {
public:
    // True when the values shown are no longer those of the converter's current format; tells
    // the operator when one real format was followed by another. `bCommit` picks the save-time
    // text.
    bool CheckInputFormat(bool bCommit);
    // Reads the current format's values and shows them. A failed read closes the page with
    // nothing shown or written.
    virtual void ReloadAdjustments() = 0;

    void UpdateStatus() override;
    void CommitSettings(bool bRevert) override;
    void CloseOnError(int nReason) override;

    std::uint8_t m_byInputFormat = kFormatNotAsked;  // latest answer; kFormatNone = no input
    std::uint8_t m_byLastFormat = kFormatNotAsked;   // latest answer that was a format
    bool m_bFormatNotice = false;                    // the format-change box is open

    static std::string FormatChangedText();  // "...ロードします...", translated
    // Why the adjustments are greyed out while the converter has no input signal.
    static std::string NoInputTip();
    static std::string FormatChangedCommitText();  // "...破棄し終了します。", translated

protected:
    // Reads indexes 0..values.size()-1 in order; on the first failure closes the page (reason 1)
    // and returns false.
    bool ReadAdjustments(std::span<std::uint16_t> values);
    // SetAdjustment while a converter is attached; a failure closes the page. True when sent.
    bool SendAdjustment(std::uint8_t index, std::uint16_t value);
    // The spin-step pattern: clamp, convert, check the format (reload and refuse the step when it
    // changed), send. A spin that is not in `spins` does nothing.
    void StepSpin(std::span<const SpinAdjustment> spins, ui::NmUpDown* pNMUpDown,
                  ui::LResult* pResult);
    // Asks before "調整値出荷時設定" rewrites every adjustment at once; true for Yes.
    bool ConfirmFactoryAdjustments();
    // The format whose factory values apply: the current one, else the last one seen. False when
    // no format has been seen.
    bool FactoryFormat(std::uint8_t& code) const;
    // The spin control of `spinId` (null when the template lacks it).
    ui::UpDown* Spin(int spinId) const;
    // Enabling removes the controls' tips; disabling with a reason shows it as their tip.
    void EnableControls(std::initializer_list<int> ids, bool enable,
                        const std::string& whyNot = std::string());
};

}  // namespace vexilo
