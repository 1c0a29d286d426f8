// The ID function group of the device pages: loading, typing rules, auto-fill and hand-over.
#include <QComboBox>
#include <QCoreApplication>
#include <QStringDecoder>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "model/id_rules.h"
#include "pages/ansi_codepage.h"
#include "pages/dev_dialog.h"
#include "protocol/id_record.h"

namespace vexilo {

namespace {

const char* const kNoteSupported =
    QT_TRANSLATE_NOOP("CDevDialog", "※ID機能設定は保存後に更新されます");
const char* const kNoteUnsupported = QT_TRANSLATE_NOOP(
    "CDevDialog",
    "※ID機能を使用するにはFirmwareをVer.3.0以降へ、FPGAをVer.0x0AA以降へ更新してください");
const char* const kNoteUnread = QT_TRANSLATE_NOOP(
    "CDevDialog", "※ID機能設定を読み出せませんでした。変更した項目のみ保存時に書き込まれます");
const char* const kTipUnsupported =
    QT_TRANSLATE_NOOP("CDevDialog", "このコンバーターはID機能に対応していません");
const char* const kCaptionIdError = "KTP Series ERROR";
const char* const kErrorDid =
    QT_TRANSLATE_NOOP("CDevDialog", "ID機能 DIDの値が不正です（0x50～0x5Fのみ選択可能）");
const char* const kErrorConvert =
    QT_TRANSLATE_NOOP("CDevDialog", "ID機能文字列の変換に失敗しました");
const char* const kErrorInvalid = QT_TRANSLATE_NOOP(
    "CDevDialog", "ID機能設定の妥当性チェックに失敗しました（DID範囲/ASCIIなど）");

QString Tr(const char* text) {
    return QCoreApplication::translate("CDevDialog", text);
}

// Texts of the converter's code page: a text that does not convert shows empty.
QString FromAnsi(const std::string& bytes) {
    std::string utf8;
    return AnsiToUtf8(bytes, utf8) ? QString::fromStdString(utf8) : QString();
}

QString FromUtf8(const std::string& bytes) {
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return decode.hasError() ? QString() : text;
}

// The typing rules work on UTF-8; the edits hold QStrings.
QString Apply(std::string (*rule)(std::string_view), const QString& text) {
    return QString::fromStdString(rule(text.toStdString()));
}

}  // namespace

QString CDevDialog::MakeModelName(std::optional<std::uint8_t> bySeries, Kind kind) {
    // No series reply names the model as the first series does, as the panel always has.
    return QString::fromStdString(model::MakeModelName(bySeries.value_or(0xFF), kind));
}

QString CDevDialog::FilterSnDigits(const QString& text) {
    return Apply(model::FilterSnDigits, text);
}

QString CDevDialog::PadSn(const QString& text) {
    return Apply(model::PadSn, text);
}

QString CDevDialog::FilterIdText(const QString& text) {
    return Apply(model::FilterIdText, text);
}

QString CDevDialog::LimitNameUtf8(const QString& text) {
    return Apply(model::LimitNameUtf8, text);
}

void CDevDialog::SetIdText(int id, const QString& text) {
    const bool settingText = m_bSettingText;
    m_bSettingText = true;
    SetDlgItemText(id, text);
    m_bSettingText = settingText;
}

void CDevDialog::SetIdTextKeepCaret(int id, const QString& text) {
    SetIdText(id, text);
    const int end = static_cast<int>(text.size());
    EditSetSel(id, end, end);
    EditScrollCaret(id);
}

void CDevDialog::FillDidList() {
    if (m_cbDid == nullptr) {
        return;
    }
    m_cbDid->clear();
    for (int did = kIdDidMin; did <= kIdDidMax; ++did) {
        m_cbDid->addItem(QString::fromStdString(model::DidText(static_cast<std::uint8_t>(did))));
    }
    int index = m_strDid.isEmpty() ? -1 : m_cbDid->findText(m_strDid, Qt::MatchExactly);
    if (index < 0) {
        index = m_cbDid->count() - 1;
    }
    m_cbDid->setCurrentIndex(index);
    m_strDid = m_cbDid->itemText(index);
}

bool CDevDialog::LoadIdFunction() {
    if (!m_pDevice) {
        return false;
    }
    const std::optional<std::uint8_t> series = m_pDevice->GetSeriesCode();
    m_bIdSupported = model::IdFunctionSupported(series.value_or(0xFF), m_wFpgaVersion);
    if (m_bIdSupported) {
        // A record that could not be read leaves the block unchanged-marked; one that was read
        // but does not decode marks it for writing: only the former is unknown.
        m_bIdUnread = !m_pDevice->LoadIdSettings() && !m_pDevice->m_bIdChanged;
        const model::IdFields fields = model::IdFieldsOf(m_pDevice->m_abyIdBlock);
        m_bIdEnable = fields.enabled;
        m_strDid = QString::fromStdString(model::DidText(fields.did));
        m_strSn = FromAnsi(fields.sn);
        m_strId = FromAnsi(fields.id);
        m_strModelName = MakeModelName(series, m_pDevice->m_kind);
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
    SetDlgItemText(IDC_ID_NOTE, Tr(note));
    EnableDlgItem(IDC_ID_ENABLE, m_bIdSupported);
    const bool fields = m_bIdSupported && m_bIdEnable;
    for (int id : {IDC_ID_DID, IDC_ID_SN, IDC_ID_ID, IDC_ID_NAME}) {
        EnableDlgItem(id, fields);
    }
    for (int id : {IDC_ID_ENABLE, IDC_ID_DID, IDC_ID_SN, IDC_ID_ID, IDC_ID_NAME}) {
        SetDlgItemTip(id, m_bIdSupported ? QString() : Tr(kTipUnsupported));
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
    const QString typed = GetDlgItemText(IDC_ID_SN);
    const QString sn = FilterSnDigits(typed);
    if (sn != typed) {
        SetIdTextKeepCaret(IDC_ID_SN, sn);
    }
    if (m_bIdUnread) {
        return;  // ID and Name show no stored values, only that none could be read
    }
    const QString id = GetDlgItemText(IDC_ID_ID);
    const QString name = GetDlgItemText(IDC_ID_NAME);
    if (!m_bIdAutoFilled && !(id.isEmpty() && name.isEmpty())) {
        return;  // the operator's own ID and Name stay
    }
    if (sn.isEmpty()) {
        SetIdText(IDC_ID_ID, QString());
        SetIdText(IDC_ID_NAME, QString());
        m_bIdAutoFilled = true;
        return;
    }
    const QString composed = QString::fromStdString(model::AutoFillText(
        m_pDevice->GetSeriesCode().value_or(0xFF), m_pDevice->m_kind, sn.toStdString()));
    if (composed.isEmpty()) {
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
    const QString text = GetDlgItemText(IDC_ID_SN);
    const QString padded = PadSn(text);
    if (padded != text) {
        SetDlgItemText(IDC_ID_SN, padded);  // reported like typing: OnSnChange runs
    }
}

void CDevDialog::OnIdChange() {
    if (m_bSettingText) {
        return;
    }
    const QString text = GetDlgItemText(IDC_ID_ID);
    const QString filtered = FilterIdText(text);
    if (filtered != text) {
        SetIdTextKeepCaret(IDC_ID_ID, filtered);
    }
    m_bIdAutoFilled = false;
}

void CDevDialog::OnNameChange() {
    if (m_bSettingText) {
        return;
    }
    const QString text = GetDlgItemText(IDC_ID_NAME);
    const QString limited = LimitNameUtf8(text);
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
    m_strModelName = MakeModelName(m_pDevice->GetSeriesCode(), m_pDevice->m_kind);

    auto fail = [this](const char* message) {
        m_bIdRejected = true;
        ui::ShowMessageBox(this, Tr(message), QString::fromLatin1(kCaptionIdError),
                           ui::kMbIconExclamation | ui::kMbOk);
        return false;
    };

    const std::optional<std::uint8_t> did = model::ParseDid(m_strDid.toStdString());
    if (!did) {
        return fail(kErrorDid);
    }
    model::IdFields fields;
    fields.enabled = m_bIdEnable;
    fields.did = *did;
    fields.name = m_strName.toStdString();
    if (!Utf8ToAnsi(m_strSn.toStdString(), fields.sn) ||
        !Utf8ToAnsi(m_strModelName.toStdString(), fields.model) ||
        !Utf8ToAnsi(m_strId.toStdString(), fields.id)) {
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
    unsigned touched = m_nIdReset;
    const std::pair<bool, unsigned> edits[] = {
        {m_bIdEnable != m_idShown.enable, kIdFieldEnable}, {m_strDid != m_idShown.did, kIdFieldDid},
        {m_strSn != m_idShown.sn, kIdFieldSerial},         {m_strId != m_idShown.id, kIdFieldId},
        {m_strName != m_idShown.name, kIdFieldName},
    };
    for (const auto& [changed, bit] : edits) {
        touched |= changed ? bit : 0u;
    }
    CDevLink& link = *m_pDevice;
    // A kind without a model name of its own leaves the stored one as it is.
    link.m_nIdFields = touched | (m_strModelName.isEmpty() ? 0u : kIdFieldModel);
    link.m_abyIdBlock = block;
    link.m_bIdValid = true;
    link.m_bIdChanged = true;
    return true;
}

void CDevDialog::IdStored() {
    m_idShown = {m_bIdEnable, m_strDid, m_strSn, m_strId, m_strName};
    m_nIdReset = 0;
}

}  // namespace vexilo
