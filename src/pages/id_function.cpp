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

#include "pages/ansi_codepage.h"
#include "pages/dev_dialog.h"
#include "protocol/id_record.h"

namespace vexilo {

namespace {

constexpr int kSnDigits = 8;
constexpr int kIdChars = 16;
constexpr int kNameBytes = kIdNameMax + 1;  // with the terminating zero

const char* const kNoteSupported =
    QT_TRANSLATE_NOOP("CDevDialog", "※ID機能設定は保存後に更新されます");
const char* const kNoteUnsupported = QT_TRANSLATE_NOOP(
    "CDevDialog",
    "※ID機能を使用するにはFirmwareをVer.3.0以降へ、FPGAをVer.0x0AA以降へ更新してください");
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

// The zero-terminated text of a block field, at most `max` bytes.
std::string FieldBytes(const IdBlock& block, int offset, int max) {
    const auto* p = reinterpret_cast<const char*>(block.data() + offset);
    return std::string(p, strnlen(p, static_cast<std::size_t>(max)));
}

QString AnsiField(const IdBlock& block, int offset, int max) {
    std::string utf8;
    return AnsiToUtf8(FieldBytes(block, offset, max), utf8) ? QString::fromStdString(utf8)
                                                            : QString();
}

QString Utf8Field(const IdBlock& block, int offset, int max) {
    const std::string bytes = FieldBytes(block, offset, max);
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return decode.hasError() ? QString() : text;
}

// Writes `bytes` and a terminating zero into a field of `size` bytes; false when it does not fit.
bool PutField(IdBlock& block, int offset, int size, const std::string& bytes) {
    if (bytes.size() + 1 > static_cast<std::size_t>(size)) {
        return false;
    }
    std::memcpy(block.data() + offset, bytes.data(), bytes.size());
    block[offset + bytes.size()] = 0;
    return true;
}

bool PutAnsiField(IdBlock& block, int offset, int size, const QString& text) {
    std::string ansi;
    return Utf8ToAnsi(text.toStdString(), ansi) && PutField(block, offset, size, ansi);
}

// The DID as the C library reads an unsigned number with base 0: "0x" hexadecimal, a leading
// "0" octal, otherwise decimal; only a text that is read whole counts.
bool ParseDid(const QString& text, unsigned long& value) {
    const std::string s = text.trimmed().toStdString();
    if (s.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    value = std::strtoul(s.c_str(), &end, 0);
    return errno == 0 && end == s.c_str() + s.size();
}

}  // namespace

QString CDevDialog::MakeModelName(std::optional<std::uint8_t> bySeries, int nKind) {
    const char* model = nullptr;
    switch (nKind) {
        case 1:
            model = "DVI";
            break;
        case 2:
            model = "RGB";
            break;
        case 3:
            model = "NTSC";
            break;
        default:
            return QString();
    }
    return QStringLiteral("%1-%2-SDI")
        .arg(QLatin1String(bySeries != std::uint8_t{0} ? "KTP" : "KTQ"), QLatin1String(model));
}

QString CDevDialog::FilterSnDigits(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (out.size() >= kSnDigits) {
            break;
        }
        if (c >= u'0' && c <= u'9') {
            out += c;
        }
    }
    return out;
}

QString CDevDialog::PadSn(const QString& text) {
    const QString digits = FilterSnDigits(text);
    if (digits.isEmpty()) {
        return digits;
    }
    return QString(kSnDigits - digits.size(), u'0') + digits;
}

QString CDevDialog::FilterIdText(const QString& text) {
    QString out;
    for (QChar c : text) {
        if (out.size() >= kIdChars) {
            break;
        }
        if (c >= u'a' && c <= u'z') {
            c = QChar(c.unicode() - u'a' + u'A');
        }
        if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_') {
            out += c;
        }
    }
    return out;
}

QString CDevDialog::LimitNameUtf8(const QString& text) {
    QString out = text;
    while (out.toUtf8().size() + 1 > kNameBytes) {
        // Remove the last character, never half of a surrogate pair.
        qsizetype cut = out.size() - 1;
        if (cut > 0 && out[cut].isLowSurrogate() && out[cut - 1].isHighSurrogate()) {
            --cut;
        }
        out.truncate(cut);
    }
    return out;
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
        m_cbDid->addItem(QString::asprintf("0x%02X", did));
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
    m_bIdSupported = series && m_wFpgaVersion >= 0x00AA && m_wFpgaVersion <= 0x0FFF;
    if (m_bIdSupported) {
        m_pDevice->LoadIdSettings();
        const IdBlock block = m_pDevice->m_abyIdBlock;
        m_bIdEnable = block[kIdOffEnable] != 0;
        const std::uint8_t did = block[kIdOffDid];
        m_strDid =
            QString::asprintf("0x%02X", did >= kIdDidMin && did <= kIdDidMax ? did : kIdDidDefault);
        m_strSn = AnsiField(block, kIdOffSerial, kIdSerialMax);
        m_strId = AnsiField(block, kIdOffId, kIdIdMax);
        m_strModelName = MakeModelName(series, m_pDevice->m_nKind);
        m_strName = Utf8Field(block, kIdOffName, kIdNameMax);
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
    SetDlgItemText(IDC_ID_NOTE, Tr(m_bIdSupported ? kNoteSupported : kNoteUnsupported));
    EnableDlgItem(IDC_ID_ENABLE, m_bIdSupported);
    const bool fields = m_bIdSupported && m_bIdEnable;
    for (int id : {IDC_ID_DID, IDC_ID_SN, IDC_ID_ID, IDC_ID_NAME}) {
        EnableDlgItem(id, fields);
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
    QString base = MakeModelName(m_pDevice->GetSeriesCode(), m_pDevice->m_nKind).trimmed();
    if (!base.isEmpty()) {
        if (base.toUpper().endsWith(QStringLiteral("-SDI"))) {
            base.chop(4);
        }
        base.remove(u'-');
    }
    if (base.isEmpty()) {
        return;
    }
    const QString composed = base + u'_' + PadSn(sn);
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
    m_strModelName = MakeModelName(m_pDevice->GetSeriesCode(), m_pDevice->m_nKind);

    auto fail = [this](const char* message) {
        m_bIdRejected = true;
        ui::ShowMessageBox(this, Tr(message), QString::fromLatin1(kCaptionIdError),
                           ui::kMbIconExclamation | ui::kMbOk);
        return false;
    };

    IdBlock block{};
    block[kIdOffEnable] = m_bIdEnable ? 1 : 0;
    unsigned long did = 0;
    if (!ParseDid(m_strDid, did) || did < kIdDidMin || did > kIdDidMax) {
        return fail(kErrorDid);
    }
    block[kIdOffDid] = static_cast<std::uint8_t>(did);
    const QByteArray name = m_strName.toUtf8();
    if (!PutAnsiField(block, kIdOffSerial, kIdOffModel - kIdOffSerial, m_strSn) ||
        !PutAnsiField(block, kIdOffModel, kIdOffId - kIdOffModel, m_strModelName) ||
        !PutAnsiField(block, kIdOffId, kIdOffName - kIdOffId, m_strId) ||
        !PutField(block, kIdOffName, kNameBytes, name.toStdString())) {
        return fail(kErrorConvert);
    }
    std::array<std::uint8_t, kIdRecordMax> record{};
    std::uint16_t length = 0;
    if (!EncodeIdRecord(block, record, length)) {
        return fail(kErrorInvalid);
    }
    block[12] = 0;
    block[29] = 0;
    block[46] = 0;
    block[127] = 0;

    // A field the operator left as shown keeps the converter's bytes, even when the page could
    // not read or show them.
    unsigned touched = m_nIdReset;
    const std::pair<bool, unsigned> fields[] = {
        {m_bIdEnable != m_idShown.enable, kIdFieldEnable}, {m_strDid != m_idShown.did, kIdFieldDid},
        {m_strSn != m_idShown.sn, kIdFieldSerial},         {m_strId != m_idShown.id, kIdFieldId},
        {m_strName != m_idShown.name, kIdFieldName},
    };
    for (const auto& [changed, bit] : fields) {
        touched |= changed ? bit : 0u;
    }
    CDevLink& link = *m_pDevice;
    if (touched == 0 && !link.m_bIdChanged) {
        return true;  // nothing to write: the converter keeps its record as it is
    }
    // A store that failed before still owes its fields.
    link.m_nIdFields = (link.m_bIdChanged ? link.m_nIdFields : 0u) | touched | kIdFieldModel;
    link.m_abyIdBlock = block;
    link.m_bIdValid = true;
    link.m_bIdChanged = true;
    m_idShown = {m_bIdEnable, m_strDid, m_strSn, m_strId, m_strName};
    m_nIdReset = 0;
    return true;
}

}  // namespace vexilo
