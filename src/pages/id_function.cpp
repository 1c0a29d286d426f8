// The ID function group of the device pages: loading, typing rules, auto-fill and hand-over.
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "model/id_rules.h"
#include "pages/ansi_codepage.h"
#include "pages/dev_dialog.h"
#include "protocol/id_record.h"
#include "ui/text.h"
#include "ui/tr.h"

namespace vexilo {

namespace {

const char* const kNoteSupported = ui::TrNoop("CDevDialog", "※ID機能設定は保存後に更新されます");
const char* const kNoteUnsupported = ui::TrNoop(
    "CDevDialog",
    "※ID機能を使用するにはFirmwareをVer.3.0以降へ、FPGAをVer.0x0AA以降へ更新してください");
const char* const kNoteUnread = ui::TrNoop(
    "CDevDialog", "※ID機能設定を読み出せませんでした。変更した項目のみ保存時に書き込まれます");
const char* const kTipUnsupported =
    ui::TrNoop("CDevDialog", "このコンバーターはID機能に対応していません");
const char* const kCaptionIdError = "KTP Series ERROR";
const char* const kErrorDid =
    ui::TrNoop("CDevDialog", "ID機能 DIDの値が不正です（0x50～0x5Fのみ選択可能）");
const char* const kErrorConvert = ui::TrNoop("CDevDialog", "ID機能文字列の変換に失敗しました");
const char* const kErrorInvalid =
    ui::TrNoop("CDevDialog", "ID機能設定の妥当性チェックに失敗しました（DID範囲/ASCIIなど）");

std::string Translated(const char* text) {
    return ui::Tr("CDevDialog", text);
}

// Texts of the converter's code page: a text that does not convert shows empty.
std::string FromAnsi(const std::string& bytes) {
    std::string utf8;
    return AnsiToUtf8(bytes, utf8) ? utf8 : std::string();
}

// The Name as stored: UTF-8 without a leading byte order mark; a text that is not UTF-8 shows
// empty.
std::string FromUtf8(std::string_view bytes) {
    if (!ui::IsValidUtf8(bytes)) {
        return {};
    }
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom) {
        bytes.remove_prefix(kBom.size());
    }
    return std::string(bytes);
}

}  // namespace

std::string CDevDialog::MakeModelName(std::optional<std::uint8_t> bySeries, Kind kind) {
    // No series reply names the model as the first series does, as the panel always has.
    return model::MakeModelName(bySeries.value_or(0xFF), kind);
}

std::string CDevDialog::FilterSnDigits(const std::string& text) {
    return model::FilterSnDigits(text);
}

std::string CDevDialog::PadSn(const std::string& text) {
    return model::PadSn(text);
}

std::string CDevDialog::FilterIdText(const std::string& text) {
    return model::FilterIdText(text);
}

std::string CDevDialog::LimitNameUtf8(const std::string& text) {
    return model::LimitNameUtf8(text);
}

void CDevDialog::SetIdText(int id, const std::string& text) {
    const bool settingText = m_bSettingText;
    m_bSettingText = true;
    SetDlgItemText(id, text);
    m_bSettingText = settingText;
}

void CDevDialog::SetIdTextKeepCaret(int id, const std::string& text) {
    SetIdText(id, text);
    const int end = ui::Utf16Length(text);
    EditSetSel(id, end, end);
    EditScrollCaret(id);
}

void CDevDialog::FillDidList() {
    if (ComboGetCount(IDC_ID_DID) < 0) {
        return;  // no window yet
    }
    ComboResetContent(IDC_ID_DID);
    int index = -1;
    for (int did = kIdDidMin; did <= kIdDidMax; ++did) {
        const std::string text = model::DidText(static_cast<std::uint8_t>(did));
        const int added = ComboAddString(IDC_ID_DID, text);
        if (index < 0 && !m_strDid.empty() && text == m_strDid) {
            index = added;
        }
    }
    if (index < 0) {
        index = ComboGetCount(IDC_ID_DID) - 1;
    }
    ComboSetCurSel(IDC_ID_DID, index);
    m_strDid = ComboGetLBText(IDC_ID_DID, index);
}

bool CDevDialog::LoadIdFunction() {
    if (!m_pDevice) {
        return false;
    }
    // The group as the converter's start-up read it.
    const model::IdGroup& group = m_pDevice->Id();
    m_bIdSupported = group.supported;
    if (m_bIdSupported) {
        m_bIdUnread = group.unread;
        const model::IdFields& fields = group.fields;
        m_bIdEnable = fields.enabled;
        m_strDid = model::DidText(fields.did);
        m_strSn = FromAnsi(fields.sn);
        m_strId = FromAnsi(fields.id);
        m_strModelName = MakeModelName(m_pDevice->Identified().series, m_pDevice->KindId());
        m_strName = FromUtf8(fields.name);
        m_idShown = {m_bIdEnable, m_strDid, m_strSn, m_strId, m_strName};
    } else {
        m_bIdEnable = false;
        m_strDid.clear();
        m_strSn.clear();
        m_strModelName.clear();
        m_strId.clear();
        m_strName.clear();
    }
    UpdateData(false);
    UpdateIdControls();
    return true;
}

void CDevDialog::UpdateIdControls() {
    const char* note = kNoteUnsupported;
    if (m_bIdSupported) {
        note = m_bIdUnread ? kNoteUnread : kNoteSupported;
    }
    SetDlgItemText(IDC_ID_NOTE, Translated(note));
    EnableDlgItem(IDC_ID_ENABLE, m_bIdSupported);
    const bool fields = m_bIdSupported && m_bIdEnable;
    for (int id : {IDC_ID_DID, IDC_ID_SN, IDC_ID_ID, IDC_ID_NAME}) {
        EnableDlgItem(id, fields);
    }
    for (int id : {IDC_ID_ENABLE, IDC_ID_DID, IDC_ID_SN, IDC_ID_ID, IDC_ID_NAME}) {
        SetDlgItemTip(id, m_bIdSupported ? std::string() : Translated(kTipUnsupported));
    }
}

void CDevDialog::OnIdEnableClicked() {
    UpdateData(true);
    UpdateIdControls();
}

void CDevDialog::OnSnChange() {
    if (m_bSettingText || !m_bIdSupported || !m_bIdEnable || !m_pDevice) {
        return;
    }
    const std::string typed = GetDlgItemText(IDC_ID_SN);
    const std::string sn = FilterSnDigits(typed);
    if (sn != typed) {
        SetIdTextKeepCaret(IDC_ID_SN, sn);
    }
    if (m_bIdUnread) {
        return;  // ID and Name show no stored values, only that none could be read
    }
    const std::string id = GetDlgItemText(IDC_ID_ID);
    const std::string name = GetDlgItemText(IDC_ID_NAME);
    if (!m_bIdAutoFilled && !(id.empty() && name.empty())) {
        return;  // the operator's own ID and Name stay
    }
    if (sn.empty()) {
        SetIdText(IDC_ID_ID, std::string());
        SetIdText(IDC_ID_NAME, std::string());
        m_bIdAutoFilled = true;
        return;
    }
    std::uint8_t series = 0xFF;
    m_pDevice->QuerySeries(series);  // unanswered: named as the first series is
    const std::string composed = model::AutoFillText(series, m_pDevice->KindId(), sn);
    if (composed.empty()) {
        return;  // no model name to build on
    }
    SetIdText(IDC_ID_ID, FilterIdText(composed));
    SetIdText(IDC_ID_NAME, LimitNameUtf8(composed));
    m_bIdAutoFilled = true;
}

void CDevDialog::OnSnKillFocus() {
    if (!m_pDevice || !m_bIdSupported) {
        return;
    }
    const std::string text = GetDlgItemText(IDC_ID_SN);
    const std::string padded = PadSn(text);
    if (padded != text) {
        SetDlgItemText(IDC_ID_SN, padded);  // reported like typing: OnSnChange runs
    }
}

void CDevDialog::OnIdChange() {
    if (m_bSettingText) {
        return;
    }
    const std::string text = GetDlgItemText(IDC_ID_ID);
    const std::string filtered = FilterIdText(text);
    if (filtered != text) {
        SetIdTextKeepCaret(IDC_ID_ID, filtered);
    }
    m_bIdAutoFilled = false;
}

void CDevDialog::OnNameChange() {
    if (m_bSettingText) {
        return;
    }
    const std::string text = GetDlgItemText(IDC_ID_NAME);
    const std::string limited = LimitNameUtf8(text);
    if (limited != text) {
        SetIdTextKeepCaret(IDC_ID_NAME, limited);
    }
    m_bIdAutoFilled = false;
}

bool CDevDialog::ApplyIdFunction() {
    m_bIdRejected = false;
    if (!m_pDevice) {
        return false;
    }
    if (!m_bIdSupported) {
        return true;  // nothing to store
    }
    UpdateData(true);
    std::uint8_t series = 0xFF;
    m_pDevice->QuerySeries(series);  // unanswered: named as the first series is
    m_strModelName = MakeModelName(series, m_pDevice->KindId());

    auto fail = [this](const char* message) {
        m_bIdRejected = true;
        ui::ShowMessageBox(this, Translated(message), kCaptionIdError,
                           ui::kMbIconExclamation | ui::kMbOk);
        return false;
    };

    const std::optional<std::uint8_t> did = model::ParseDid(m_strDid);
    if (!did) {
        return fail(kErrorDid);
    }
    model::IdFields fields;
    fields.enabled = m_bIdEnable;
    fields.did = *did;
    fields.name = m_strName;
    if (!Utf8ToAnsi(m_strSn, fields.sn) || !Utf8ToAnsi(m_strModelName, fields.model) ||
        !Utf8ToAnsi(m_strId, fields.id)) {
        return fail(kErrorConvert);
    }
    IdBlock block{};
    switch (model::ComposeIdBlock(fields, block)) {
        case model::IdBlockError::kTooLong:
            return fail(kErrorConvert);
        case model::IdBlockError::kInvalid:
            return fail(kErrorInvalid);
        case model::IdBlockError::kNone:
            break;
    }
    // A field the operator left as shown keeps the converter's bytes, even when the page could
    // not read or show them; the model name is the page's to set. The store compares with the
    // record the converter holds now and writes only what differs.
    unsigned touched = 0;
    const std::pair<bool, unsigned> edits[] = {
        {m_bIdEnable != m_idShown.enable, kIdFieldEnable}, {m_strDid != m_idShown.did, kIdFieldDid},
        {m_strSn != m_idShown.sn, kIdFieldSerial},         {m_strId != m_idShown.id, kIdFieldId},
        {m_strName != m_idShown.name, kIdFieldName},
    };
    for (const auto& [changed, bit] : edits) {
        touched |= changed ? bit : 0u;
    }
    if (!m_pDevice->StageId(fields, touched)) {
        return fail(kErrorInvalid);
    }
    return true;
}

void CDevDialog::IdStored() {
    m_idShown = {m_bIdEnable, m_strDid, m_strSn, m_strId, m_strName};
}

}  // namespace vexilo
