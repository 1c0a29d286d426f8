#include "pages/adjust_page.h"

#include <algorithm>
#include <optional>

#include "ui/tr.h"

namespace vexilo {

namespace {

// The buttons of a binding: its controls without the padding.
std::vector<int> Ids(const Binding& b) {
    std::vector<int> ids;
    for (int id : b.ids) {
        if (id != 0) {
            ids.push_back(id);
        }
    }
    return ids;
}

}  // namespace

CAdjustPage::CAdjustPage(const model::KindModel& kind, std::span<const Binding> bindings)
    : m_kind(kind), m_bindings(bindings), m_shown(bindings.size(), 0) {}

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

std::string CAdjustPage::NoInputTip() {
    return ui::Tr("CAdjustPage", "入力信号がないため調整できません");
}

std::vector<ui::MessageMapEntry> CAdjustPage::MapEntries(const model::KindModel& kind,
                                                         std::span<const Binding> bindings) {
    std::vector<ui::MessageMapEntry> rows = CommonMapEntries(kind.Find("scaler") != nullptr);
    for (std::size_t i = 0; i < bindings.size(); ++i) {
        const Binding& b = bindings[i];
        if (b.control == Binding::Control::kSpin) {
            rows.push_back({ui::Notify::UdnDeltaPos, b.ids[0], b.ids[0],
                            [i](ui::Dialog& d, void* data, ui::LResult* result) {
                                static_cast<CAdjustPage&>(d).OnSpinDelta(
                                    i, static_cast<ui::NmUpDown*>(data), result);
                            }});
            continue;
        }
        for (int id : Ids(b)) {
            rows.push_back({ui::Notify::BnClicked, id, id, [i](ui::Dialog& d, void*, ui::LResult*) {
                                static_cast<CAdjustPage&>(d).OnBindingClicked(i);
                            }});
        }
    }
    rows.push_back(ui::OnBnClicked(IDC_ADJUST_FACTORY, &CAdjustPage::OnAdjustFactoryClicked));
    return rows;
}

const model::Setting* CAdjustPage::SettingOf(const Binding& b) const {
    return m_kind.Find(b.setting);
}

void CAdjustPage::SetComPort(const Port& port) {
    SetTabTitle(m_kind.pageModel, port);
}

void CAdjustPage::DoDataExchange(ui::DataExchange& dx) {
    CDevDialog::DoDataExchange(dx);
    for (std::size_t i = 0; i < m_bindings.size(); ++i) {
        const Binding& b = m_bindings[i];
        if (b.control == Binding::Control::kCheck) {
            bool checked = m_shown[i] != 0;
            ui::DDX_Check(dx, b.ids[0], checked);
            m_shown[i] = checked ? 1 : 0;
        } else if (b.control == Binding::Control::kRadio) {
            // A value no button stands for stays as the converter reported it until a button is
            // picked, so it is never sent back as "none checked".
            int index = m_shown[i];
            ui::DDX_Radio(dx, b.ids[0], index);
            if (!dx.m_bSaveAndValidate || index >= 0) {
                m_shown[i] = index;
            }
        }
    }
}

bool CAdjustPage::OnInitDialog() {
    const bool result = CDevDialog::OnInitDialog();
    if (m_kind.Find("scaler") == nullptr) {
        // The kind has no scaler: the converter's value goes back unchanged.
        ShowDlgItem(IDC_SCALER_ALWAYS, false);
        ShowDlgItem(IDC_SCALER_SYNC, false);
    }
    for (const Binding& b : m_bindings) {
        const model::Setting* s = SettingOf(b);
        if (b.control == Binding::Control::kSpin && s != nullptr) {
            if (ui::UpDown* spin = Spin(b.ids[0])) {
                spin->SetRange32(s->lower, s->upper);
            }
        }
    }
    if (HasConverter()) {
        ShowAdjustments();  // as the converter's start-up read them
    }
    for (const Binding& b : m_bindings) {
        const model::Setting* s = SettingOf(b);
        if (s != nullptr && !s->writable) {
            for (int id : Ids(b)) {
                EnableDlgItem(id, false);
                SetDlgItemTip(id, ShownOnlyTip());
            }
        }
    }
    return result;
}

int CAdjustPage::ShownValue(const char* setting) const {
    for (std::size_t i = 0; i < m_bindings.size(); ++i) {
        if (std::string_view(m_bindings[i].setting) == setting &&
            m_bindings[i].control != Binding::Control::kSpin) {
            return m_shown[i];
        }
    }
    return -1;
}

bool CAdjustPage::CheckInputFormat(bool bCommit) {
    if (!m_pDevice) {
        return false;
    }
    model::FormatCheck check;
    if (!m_pDevice->CheckInputFormat(check)) {
        CloseOnError(kCloseNoResponse);
        return false;
    }
    if (check.notify) {
        ShowFormatChanged(bCommit);
    }
    return check.changed;
}

void CAdjustPage::ShowFormatChanged(bool bCommit) {
    // The status timer keeps ticking in the box's loop; the flag keeps its ticks from opening a
    // second box.
    m_bFormatNotice = true;
    ui::ShowMessageBox(this, bCommit ? FormatChangedCommitText() : FormatChangedText(),
                       m_szTabTitle, ui::kMbIconInformation | ui::kMbOk);
    m_bFormatNotice = false;
}

bool CAdjustPage::HasInput() const {
    return m_pDevice && m_pDevice->InputFormat() != kInputFormatNone;
}

void CAdjustPage::UpdateStatus() {
    if (!m_bFormatNotice && CheckInputFormat(false)) {
        ReloadAdjustments();
    }
    if (m_pDevice) {
        ReadStatus();
    }
}

void CAdjustPage::ReloadAdjustments() {
    UpdateData(true);
    if (!m_pDevice) {
        return;
    }
    if (!m_pDevice->LoadAdjustments()) {
        // A value that did not arrive is neither shown nor written back.
        CloseOnError(kCloseNoResponse);
        return;
    }
    ShowAdjustments();
}

void CAdjustPage::ShowAdjustments() {
    const std::vector<std::uint16_t>& values = m_pDevice->Adjustments();
    UpdateData(true);
    for (std::size_t i = 0; i < m_bindings.size(); ++i) {
        const Binding& b = m_bindings[i];
        const model::Setting* s = SettingOf(b);
        if (s == nullptr || s->index >= values.size()) {
            continue;
        }
        const int shown = s->FromWire(values[s->index]);
        if (b.control == Binding::Control::kSpin) {
            if (ui::UpDown* spin = Spin(b.ids[0])) {
                spin->SetPos32(shown);
            }
        } else if (b.control == Binding::Control::kCheck) {
            m_shown[i] = shown != 0 ? 1 : 0;
        } else {
            m_shown[i] = shown;
        }
    }
    UpdateData(false);
    EnableAdjustControls();
}

void CAdjustPage::EnableAdjustControls() {
    const bool input = HasInput();
    for (const Binding& b : m_bindings) {
        const model::Setting* s = SettingOf(b);
        if (b.needsInput && s != nullptr && s->writable) {
            for (int id : Ids(b)) {
                EnableControls({id}, input, NoInputTip());
            }
        }
    }
    EnableControls({IDC_ADJUST_FACTORY}, input, NoInputTip());
    // The Auto rules come last: with an Auto box off its controls stay usable without input.
    for (const Binding& b : m_bindings) {
        if (const model::Setting* s = SettingOf(b); s != nullptr && s->PerFormat()) {
            ApplyAutoRule(s->index);
        }
    }
}

void CAdjustPage::ApplyAutoRule(std::uint8_t autoIndex) {
    std::optional<bool> on;
    for (std::size_t i = 0; i < m_bindings.size(); ++i) {
        const model::Setting* s = SettingOf(m_bindings[i]);
        if (s != nullptr && s->PerFormat() && s->index == autoIndex) {
            on = m_shown[i] != 0;
        }
    }
    if (!on) {
        return;
    }
    for (const Binding& b : m_bindings) {
        const model::Setting* s = SettingOf(b);
        if (s != nullptr && s->autoSwitch == autoIndex) {
            for (int id : Ids(b)) {
                EnableControls({id}, !*on);
            }
        }
    }
}

void CAdjustPage::CommitSettings(bool bRevert) {
    if (!CommitGeneralSettings(bRevert)) {
        return;
    }
    model::FormatCheck check;
    const model::Outcome stored = m_pDevice->CommitAdjustments(bRevert, &check);
    if (check.notify) {
        ShowFormatChanged(true);
    }
    if (check.changed) {
        // The values on screen belong to the old format: neither stored nor reverted. The page
        // may stay open (save without exit), so it shows the new format's values from now on;
        // a later step must not start from the old format's positions.
        ReloadAdjustments();
        return;
    }
    if (!stored) {
        CloseOnError(kCloseNoResponse);
    }
}

void CAdjustPage::CloseOnError(int nReason) {
    ShowErrorAndClose(nReason, m_nTabIndex, m_szTabTitle);
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

void CAdjustPage::OnSpinDelta(std::size_t row, ui::NmUpDown* pNMUpDown, ui::LResult* pResult) {
    const model::Setting* setting = SettingOf(m_bindings[row]);
    if (pNMUpDown == nullptr || setting == nullptr) {
        return;
    }
    if (pResult != nullptr) {
        *pResult = 0;  // the control carries out the step itself
    }
    const long long wanted = static_cast<long long>(pNMUpDown->iPos) + pNMUpDown->iDelta;
    const int position =
        static_cast<int>(std::clamp<long long>(wanted, setting->lower, setting->upper));
    const std::uint16_t value = setting->ToWire(position);
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
    SendAdjustment(setting->index, value);
}

void CAdjustPage::OnBindingClicked(std::size_t row) {
    const model::Setting* setting = SettingOf(m_bindings[row]);
    if (setting == nullptr || !setting->writable) {
        return;
    }
    if (CheckInputFormat(false)) {
        ReloadAdjustments();
        return;
    }
    if (!m_pDevice) {
        return;
    }
    UpdateData(true);
    ApplyAutoRule(setting->index);
    SendAdjustment(setting->index, setting->ToWire(m_shown[row]));
}

bool CAdjustPage::ConfirmFactoryAdjustments() {
    return ConfirmChange(ui::Tr(
        "CAdjustPage",
        "現在の入力フォーマットの調整値をすべて出荷時設定に戻し、\nすぐにデバイスへ送信します。"));
}

void CAdjustPage::OnAdjustFactoryClicked() {
    if (!ConfirmFactoryAdjustments()) {
        return;
    }
    if (CheckInputFormat(false)) {
        ReloadAdjustments();
    }
    if (!m_pDevice || !m_pDevice->FactoryFormat()) {
        return;
    }
    const model::Outcome sent = m_pDevice->FactoryAdjustments();
    if (!sent) {
        CloseOnError(kCloseNoResponse);
        return;
    }
    ShowAdjustments();
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

}  // namespace vexilo
