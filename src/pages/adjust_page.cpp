#include "pages/adjust_page.h"

#include <algorithm>
#include <optional>

#include "protocol/commands.h"
#include "ui/tr.h"

namespace vexilo {

std::string CAdjustPage::FormatChangedText() {
    return ui::Tr(
        "CAdjustPage",
        "入力信号フォーマットが変更されています。\nフォーマットに対応する調整値をロードします。\n"
        "現在の調整値は破棄されます。");
}

std::string CAdjustPage::FormatChangedCommitText() {
    return ui::Tr("CAdjustPage",
                  "入力信号フォーマットが変更されています。\n現在の調整値は破棄し終了します。");
}

bool CAdjustPage::CheckInputFormat(bool bCommit) {
    if (!m_pDevice) {
        return false;
    }
    const std::optional<std::uint8_t> reply = m_pDevice->GetInputFormat();
    if (!reply) {
        CloseOnError(kCloseNoResponse);
        return false;
    }
    std::uint8_t code = *reply;
    // The codes above the failure value are not formats; taking one as a format would let the
    // page adjust a table that no signal selects.
    if (code > kFormatFailed) {
        code = kFormatNone;
    }
    if (code == kFormatNone) {
        if (m_byLastFormat == kFormatNotAsked) {
            m_byInputFormat = kFormatNone;
            m_byLastFormat = kFormatNone;
            return true;
        }
        m_byInputFormat = kFormatNone;
        return false;
    }
    bool changed = false;
    bool notify = false;
    if (m_byInputFormat == kFormatNone) {
        // The input was lost: the same format coming back keeps the values on screen.
        changed = code != m_byLastFormat;
        notify = changed && m_byLastFormat != kFormatNone;
    } else {
        changed = code != m_byInputFormat;
        notify = changed && m_byLastFormat != kFormatNotAsked;
    }
    m_byInputFormat = code;
    m_byLastFormat = code;
    if (notify) {
        // The status timer keeps ticking in the box's loop; the flag keeps its ticks from
        // opening a second box.
        m_bFormatNotice = true;
        ui::ShowMessageBox(this, bCommit ? FormatChangedCommitText() : FormatChangedText(),
                           m_szTabTitle, ui::kMbIconInformation | ui::kMbOk);
        m_bFormatNotice = false;
    }
    return changed;
}

void CAdjustPage::UpdateStatus() {
    if (!m_bFormatNotice && CheckInputFormat(false)) {
        ReloadAdjustments();
    }
    if (m_pDevice) {
        ReadStatus();
    }
}

void CAdjustPage::CommitSettings(bool bRevert) {
    if (!CommitGeneralSettings(bRevert)) {
        return;
    }
    if (CheckInputFormat(true)) {
        // The values on screen belong to the old format: neither stored nor reverted. The page
        // may stay open (save without exit), so it shows the new format's values from now on;
        // a later step must not start from the old format's positions.
        ReloadAdjustments();
        return;
    }
    if (!m_pDevice || m_byLastFormat >= kFormatFailed) {
        return;  // closed by the check, or no format seen: no table to store
    }
    if (!m_pDevice->CommitAdjustments(bRevert ? 1 : 0)) {
        CloseOnError(kCloseNoResponse);
    }
}

void CAdjustPage::CloseOnError(int nReason) {
    ShowErrorAndClose(nReason, m_nTabIndex, m_szTabTitle);
}

bool CAdjustPage::ReadAdjustments(std::span<std::uint16_t> values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (!m_pDevice) {
            return false;
        }
        const std::optional<std::uint16_t> value =
            m_pDevice->GetAdjustment(static_cast<std::uint8_t>(i));
        if (!value) {
            // A value that did not arrive is neither shown nor written back.
            CloseOnError(kCloseNoResponse);
            return false;
        }
        values[i] = *value;
    }
    return m_pDevice != nullptr;
}

bool CAdjustPage::SendAdjustment(std::uint8_t index, std::uint16_t value) {
    if (!m_pDevice) {
        return false;
    }
    if (!m_pDevice->SetAdjustment(index, value)) {
        CloseOnError(kCloseNoResponse);
        return false;
    }
    return true;
}

void CAdjustPage::StepSpin(std::span<const SpinAdjustment> spins, ui::NmUpDown* pNMUpDown,
                           ui::LResult* pResult) {
    if (pNMUpDown == nullptr) {
        return;
    }
    const auto spin = std::find_if(spins.begin(), spins.end(), [&](const SpinAdjustment& s) {
        return s.spinId == pNMUpDown->idFrom;
    });
    if (spin == spins.end()) {
        return;
    }
    if (pResult != nullptr) {
        *pResult = 0;  // the control carries out the step itself
    }
    const long long wanted = static_cast<long long>(pNMUpDown->iPos) + pNMUpDown->iDelta;
    const model::Setting& setting = *spin->setting;
    const int position =
        static_cast<int>(std::clamp<long long>(wanted, setting.lower, setting.upper));
    const std::uint16_t value = setting.ToWire(position);

    if (CheckInputFormat(false)) {
        ReloadAdjustments();
        // The step was not sent: the control keeps showing the value just loaded.
        if (pResult != nullptr) {
            *pResult = 1;
        }
        return;
    }
    if (!m_pDevice) {
        if (pResult != nullptr) {
            *pResult = 1;
        }
        return;
    }
    UpdateData(true);
    SendAdjustment(setting.index, value);
}

bool CAdjustPage::ConfirmFactoryAdjustments() {
    return ConfirmChange(ui::Tr(
        "CAdjustPage",
        "現在の入力フォーマットの調整値をすべて出荷時設定に戻し、\nすぐにデバイスへ送信します。"));
}

bool CAdjustPage::FactoryFormat(std::uint8_t& code) const {
    code = m_byInputFormat == kFormatNone ? m_byLastFormat : m_byInputFormat;
    return code < kFormatFailed;
}

ui::UpDown* CAdjustPage::Spin(int spinId) const {
    return GetUpDown(spinId);
}

void CAdjustPage::EnableControls(std::initializer_list<int> ids, bool enable,
                                 const std::string& whyNot) {
    for (int id : ids) {
        EnableDlgItem(id, enable);
        if (enable || !whyNot.empty()) {
            SetDlgItemTip(id, enable ? std::string() : whyNot);
        }
    }
}

std::string CAdjustPage::NoInputTip() {
    return ui::Tr("CAdjustPage", "入力信号がないため調整できません");
}

}  // namespace vexilo
