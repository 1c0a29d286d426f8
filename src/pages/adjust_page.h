#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "model/converter_model.h"
#include "pages/dev_dialog.h"

namespace vexilo {

// One control of an adjustment page bound to a setting of the converter model by name. Ranges,
// the mapping of positions to converter values, factory values and which Auto switch a setting
// follows all come from the model; the row says only where the setting is shown.
struct Binding {
    enum class Control { kSpin, kCheck, kRadio };
    const char* setting;  // the model setting's name
    Control control;
    // The spin and its edit, the check box, or the radio group's buttons in order; 0 pads.
    std::array<int, 3> ids;
    // Greyed out without an input signal (a radio group of the RGB page stays usable).
    bool needsInput = true;
};

// A page whose converter keeps one set of adjustment values per input format (analog RGB and
// composite), driven by its table of bindings: the input-format tracking with its message, the
// status refresh that runs it, the save and revert with the adjustment table, loading and
// showing the values, the controls' handlers, enabling by input and Auto switches, and the
// factory adjustments. A page supplies its table and the texts that are its own.
class CAdjustPage : public CDevDialog {
public:
    CAdjustPage(const model::KindModel& kind, std::span<const Binding> bindings);

    // True when the values shown are no longer those of the converter's current format; tells
    // the operator when one real format was followed by another. `bCommit` picks the save-time
    // text.
    bool CheckInputFormat(bool bCommit);
    // Reads the current format's values and shows them. A failed read closes the page with
    // nothing shown or written.
    void ReloadAdjustments();
    void UpdateStatus() override;
    void CommitSettings(bool bRevert) override;
    void CloseOnError(int nReason) override;
    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
    void SetComPort(const Port& port) override;

    // The converter's input format as last asked shows a signal.
    bool HasInput() const;
    bool m_bFormatNotice = false;  // the format-change box is open

    static std::string FormatChangedText();  // "...ロードします...", translated
    // Why the adjustments are greyed out while the converter has no input signal.
    static std::string NoInputTip();
    static std::string FormatChangedCommitText();  // "...破棄し終了します。", translated
    // Tells the operator that the input format changed (`bCommit`: at a save or cancel).
    void ShowFormatChanged(bool bCommit);

    // The value a check box or radio group shows; -1 for a spin or an unknown setting.
    int ShownValue(const char* setting) const;

    // The rows of a page's message map: CommonMapEntries (the scaler's only when the kind has
    // one), then the bindings' and the factory button's.
    static std::vector<ui::MessageMapEntry> MapEntries(const model::KindModel& kind,
                                                       std::span<const Binding> bindings);

protected:
    // A spin stepped: clamp, convert, check the format (reload and refuse the step when it
    // changed), send.
    void OnSpinDelta(std::size_t row, ui::NmUpDown* pNMUpDown, ui::LResult* pResult);
    // A check box or radio button clicked: check the format, send the shown value, and apply
    // the Auto rules when the setting is an Auto switch.
    void OnBindingClicked(std::size_t row);
    // "調整値出荷時設定": asks, checks the format, sends the factory values and shows them.
    void OnAdjustFactoryClicked();
    // Asks before "調整値出荷時設定" rewrites every adjustment at once; true for Yes.
    bool ConfirmFactoryAdjustments();
    // SetAdjustment while a converter is attached; a failure closes the page. True when sent.
    bool SendAdjustment(std::uint8_t index, std::uint16_t value);
    // The spin control of `spinId` (null when the template lacks it).
    ui::UpDown* Spin(int spinId) const;
    // Enabling removes the controls' tips; disabling with a reason shows it as their tip.
    void EnableControls(std::initializer_list<int> ids, bool enable,
                        const std::string& whyNot = std::string());
    // The tip of a setting the page only shows.
    virtual std::string ShownOnlyTip() const { return {}; }

private:
    const model::Setting* SettingOf(const Binding& b) const;
    // Shows the converter's values in every bound control, then enables them.
    void ShowAdjustments();
    void EnableAdjustControls();
    // Enables the controls of the settings that follow the Auto switch of `autoIndex`.
    void ApplyAutoRule(std::uint8_t autoIndex);

    const model::KindModel& m_kind;
    std::span<const Binding> m_bindings;
    std::vector<int> m_shown;  // per binding: the check box's or radio group's value
};

}  // namespace vexilo
