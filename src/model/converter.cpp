#include "model/converter.h"

#include <algorithm>
#include <array>

#include "protocol/commands.h"

namespace vexilo::model {

namespace {

constexpr int kStartupAttempts = 5;

constexpr char kNoResponse[] = "the converter does not respond";
constexpr char kNoInput[] =
    "no input signal: the adjustments belong to an input format, and none is detected";
constexpr char kNotOpen[] = "the converter's port is not open";
constexpr char kSeriesUnanswered[] =
    "the converter does not answer the series query, so whether it has the ID function is not "
    "known";

bool Stopped(const std::atomic<bool>* stop) {
    return stop != nullptr && stop->load();
}

// The Auto switches of a kind: adjustments other settings depend on, in the kind's order. Every
// load of the table writes them back as read, as the page does when it shows them.
std::vector<const Setting*> AutoSwitches(const KindModel& kind) {
    std::vector<const Setting*> switches;
    for (const Setting& s : kind.settings) {
        const bool depended = std::any_of(
            kind.settings.begin(), kind.settings.end(),
            [&](const Setting& other) { return other.autoSwitch == static_cast<int>(s.index); });
        if (s.PerFormat() && depended) {
            switches.push_back(&s);
        }
    }
    return switches;
}

std::string IndexText(std::uint8_t index) {
    return "adjustment " + std::to_string(index);
}

}  // namespace

Outcome& Outcome::Then(Outcome other) {
    for (Step& s : other.steps) {
        steps.push_back(std::move(s));
    }
    if (!other.ok()) {
        fault = other.fault;
        error = std::move(other.error);
    }
    return *this;
}

std::string Outcome::SkippedText() const {
    std::string text;
    for (const Step& s : steps) {
        if (s.state == Step::State::kSkipped) {
            text += (text.empty() ? "" : "; ") + s.what + " (" + s.why + ")";
        }
    }
    return text;
}

Converter::Converter(std::unique_ptr<CDevLink> link, std::string label)
    : m_link(std::move(link)), m_label(std::move(label)) {
    m_identity.kind = m_link ? m_link->m_kind : vexilo::Kind::Other;
}

Converter::~Converter() = default;

int Converter::LastStatus() const {
    return m_link ? m_link->Channel().m_nStatus : kStatusNoReply;
}

Outcome Converter::NotOpen() const {
    Outcome out;
    return out.Fail(Fault::kNoResponse, kNotOpen);
}

Outcome Converter::Start(const std::atomic<bool>* stop, bool withCaption) {
    m_started = true;
    m_startResult = StartReads(stop, withCaption);
    return m_startResult;
}

void Converter::ReadCaption() {
    if (m_link && !m_captionRead) {
        m_series = m_link->GetSeriesCode().value_or(0xFF);
        m_captionRead = true;
    }
}

Outcome Converter::StartReads(const std::atomic<bool>* stop, bool withCaption) {
    Outcome out;
    const auto stopped = [&] {
        if (Stopped(stop)) {
            out.Fail(Fault::kStopped, "stopped");
            return true;
        }
        return false;
    };
    if (!m_link) {
        return NotOpen();
    }
    if (stopped()) {
        return out;
    }
    const vexilo::Kind kind = m_identity.kind;
    if (Outcome r = ReadVersions(kStartupAttempts, stop); !r) {
        return r;
    }
    if (stopped()) {
        return out;
    }
    // The ID group: 0x05, then the record when the converter has the function. A group that
    // cannot be read shows no ID function; start-up goes on.
    LoadId();
    m_identity.series = m_series;
    m_identity.idSupported = m_id.supported;
    m_identity.model = ModelString(m_series, kind);
    m_identified = true;
    if (stopped()) {
        return out;
    }
    const auto output = requests::GetOutputSettings(Channel());
    if (output.Failed()) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "output settings");
    }
    if (output.HasValue()) {
        m_output = SanitizeOutputSettings(output.value);
    }
    const auto status = requests::ReadStatus(Channel());
    if (status.Failed()) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "status");
    }
    if (status.HasValue()) {
        m_status = status.value;
    }
    const KindModel& model = Kind();
    if (model.HasAdjustments()) {
        // The first input-format check always loads the table, with or without input.
        FormatCheck check;
        if (Outcome r = CheckInputFormat(check); !r) {
            return out.Then(std::move(r));
        }
        if (Outcome r = LoadAdjustments(); !r) {
            return out.Then(std::move(r));
        }
    } else if (model.cableDetect) {
        std::optional<std::uint8_t> setting;
        if (Outcome r = ReadCableDetect(setting); !r && r.fault == Fault::kNoResponse) {
            return out.Then(std::move(r));
        }
    }
    if (stopped()) {
        return out;
    }
    if (withCaption) {
        ReadCaption();
    }
    return out;
}

Outcome Converter::ReadVersions(int attempts, const std::atomic<bool>* stop) {
    Outcome out;
    const vexilo::Kind kind = m_identity.kind;
    m_identity = Identity{};
    m_identity.kind = kind;
    if (!m_link->CheckConnection(attempts, false)) {
        return out.Fail(Fault::kNotConnected,
                        "the converter is not connected (no answer to the connection check)");
    }
    std::array<std::uint8_t, kVersionTextSize> running{};
    std::array<std::uint8_t, kVersionTextSize> second{};
    m_link->GetVersionInfo(kVersionRunning, running.data(), kVersionTextSize);
    const bool runningAnswered = LastStatus() == kStatusOk;
    if (Stopped(stop)) {
        return out.Fail(Fault::kStopped, "stopped");
    }
    m_link->GetVersionInfo(kVersionSecond, second.data(), kVersionTextSize);
    const bool secondAnswered = LastStatus() == kStatusOk;
    m_identity.runningVersion = FieldText(running.data(), running.size());
    m_identity.secondVersion = FieldText(second.data(), second.size());
    switch (CheckFirmware(m_identity.runningVersion, m_identity.secondVersion)) {
        case Firmware::kNotMain:
            // Two texts that never arrived are equal too; the firmware is not to blame then.
            if (!runningAnswered && !secondAnswered) {
                return out.Fail(Fault::kNoResponse,
                                "the converter does not respond (no answer to the version query)");
            }
            return out.Fail(Fault::kNotMainFirmware,
                            "the converter is not running its main firmware; update it");
        case Firmware::kBootUpdater:
            return out.Fail(Fault::kBootUpdater,
                            "the converter is running the boot-update firmware; update the "
                            "firmware");
        case Firmware::kMain:
            break;
    }
    if (Stopped(stop)) {
        return out.Fail(Fault::kStopped, "stopped");
    }
    m_identity.oldFirmware = IsOldFirmware(m_identity.runningVersion);
    m_link->GetVersionInfo(kVersionBoard, &m_identity.boardRevision, 1);
    // Little-endian; a read that fails or stops short leaves high bits that mark "not read".
    std::array<std::uint8_t, 2> fpga{0x00, 0xF0};
    m_link->GetVersionInfo(kVersionFpga, fpga.data(), 2);
    m_identity.fpgaVersion = static_cast<std::uint16_t>(fpga[0] | (fpga[1] << 8));
    return out;
}

Outcome Converter::Identify(int attempts) {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    const vexilo::Kind kind = m_identity.kind;
    m_identified = false;
    if (Outcome r = ReadVersions(attempts, nullptr); !r) {
        return r;
    }
    m_series = m_link->GetSeriesCode().value_or(0xFF);
    m_identity.series = m_series;
    m_identity.idSupported = IdFunctionSupported(m_identity.series, m_identity.fpgaVersion);
    m_identity.model = ModelString(m_identity.series, kind);
    m_identified = true;
    return out;
}

Outcome Converter::ReadStatus(requests::StatusBlock& status) {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    const auto reply = requests::ReadStatus(Channel());
    if (reply.Failed()) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "status");
    }
    if (!reply.HasValue()) {
        return out.Fail(Fault::kBadReply, "the status reply is too short", "status");
    }
    status = reply.value;
    return out;
}

Outcome Converter::SendOutput(const requests::OutputSettings& settings) {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    if (!requests::SendOutputSettings(Channel(), settings)) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "output settings");
    }
    m_output = settings;
    out.Sent("output settings");
    return out;
}

std::optional<int> SettingsSnapshot::Value(const Setting& setting) const {
    switch (setting.area) {
        case Area::kOutput: {
            if (!output) {
                return std::nullopt;
            }
            const std::uint8_t bytes[] = {output->format, output->level, output->scaler};
            return setting.index < 3 ? std::optional<int>(setting.FromWire(bytes[setting.index]))
                                     : std::nullopt;
        }
        case Area::kAdjustment:
            if (setting.index >= adjustments.size()) {
                return std::nullopt;
            }
            return setting.FromWire(adjustments[setting.index]);
        case Area::kCableDetect:
            return cableDetect ? std::optional<int>(*cableDetect) : std::nullopt;
    }
    return std::nullopt;
}

Outcome Converter::ReadCableDetect(std::optional<std::uint8_t>& setting) {
    Outcome out;
    const auto reply = requests::GetCableDetect(Channel());
    if (reply.HasValue()) {
        setting = reply.value != 0 ? 1 : 0;
        m_cable = *setting != 0 ? CableDetect::kOn : CableDetect::kOff;
        return out;
    }
    setting.reset();
    if (reply.Unsupported()) {
        m_cable = CableDetect::kUnsupported;
        return out;
    }
    if (!reply.Failed()) {
        m_cable = CableDetect::kUnreadable;
        return out.Fail(Fault::kBadReply, "the cable-detect reply does not carry the setting",
                        "cable detect");
    }
    return out.Fail(Fault::kNoResponse, kNoResponse, "cable detect");
}

Outcome Converter::SetCableDetect(bool on) {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    if (!requests::SetCableDetect(Channel(), on ? 1 : 0)) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "cable detect");
    }
    m_cable = on ? CableDetect::kOn : CableDetect::kOff;
    out.Sent("cable detect");
    return out;
}

Outcome Converter::ReadOutput(requests::OutputSettings& settings) {
    Outcome out;
    const auto reply = requests::GetOutputSettings(Channel());
    if (reply.Failed()) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "output settings");
    }
    if (!reply.HasValue()) {
        return out.Fail(Fault::kBadReply, "the output settings reply is too short",
                        "output settings");
    }
    settings = SanitizeOutputSettings(reply.value);
    return out;
}

Outcome Converter::ReadSettings(std::span<const Setting* const> settings,
                                SettingsSnapshot& snapshot) {
    snapshot = SettingsSnapshot{};
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    const KindModel& kind = Kind();
    auto needs = [&](Area area) {
        return std::any_of(settings.begin(), settings.end(),
                           [&](const Setting* s) { return s->area == area; });
    };
    if (needs(Area::kOutput)) {
        snapshot.output.emplace();
        if (Outcome r = ReadOutput(*snapshot.output); !r) {
            snapshot.output.reset();
            return out.Then(std::move(r));
        }
    }
    if (needs(Area::kAdjustment) && kind.HasAdjustments()) {
        const std::optional<std::uint8_t> format = m_link->GetInputFormat();
        if (!format) {
            return out.Fail(Fault::kNoResponse, kNoResponse, "input format");
        }
        snapshot.inputFormat = *format;
        if (IsInputFormat(snapshot.inputFormat)) {
            for (int i = 0; i < kind.adjustmentCount; ++i) {
                const auto index = static_cast<std::uint8_t>(i);
                const std::optional<std::uint16_t> value = m_link->GetAdjustment(index);
                if (!value) {
                    return LastStatus() != kStatusOk
                               ? out.Fail(Fault::kNoResponse, kNoResponse, IndexText(index))
                               : out.Fail(Fault::kBadReply,
                                          "an adjustment reply does not carry a value",
                                          IndexText(index));
                }
                snapshot.adjustments.push_back(*value);
            }
        } else {
            out.Skipped("adjustments", "no input signal");
        }
    }
    if (needs(Area::kCableDetect) && kind.cableDetect) {
        if (Outcome r = ReadCableDetect(snapshot.cableDetect); !r) {
            return out.Then(std::move(r));
        }
    }
    return out;
}

Outcome Converter::WriteSettings(std::span<const Assignment> values, WriteProgress* progress) {
    WriteProgress none;
    WriteProgress& p = progress != nullptr ? *progress : none;
    p.sent.assign(values.size(), false);
    p.stopped = false;
    Outcome out;
    const auto stopping = [&p] {
        p.stopped = p.stop != nullptr && p.stop->load();
        return p.stopped;
    };
    if (!m_link) {
        return NotOpen();
    }
    if (stopping()) {
        return out;
    }
    const KindModel& kind = Kind();
    const bool anyOutput = std::any_of(values.begin(), values.end(), [](const Assignment& a) {
        return a.setting->area == Area::kOutput;
    });
    if (anyOutput) {
        requests::OutputSettings settings;
        if (Outcome r = ReadOutput(settings); !r) {
            return out.Then(std::move(r));
        }
        for (const Assignment& a : values) {
            if (a.setting->area != Area::kOutput) {
                continue;
            }
            const auto byte = static_cast<std::uint8_t>(a.setting->ToWire(a.value));
            (a.setting->index == 0   ? settings.format
             : a.setting->index == 1 ? settings.level
                                     : settings.scaler) = byte;
        }
        if (Outcome r = SendOutput(settings); !r) {
            return out.Then(std::move(r));
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            p.sent[i] = values[i].setting->area == Area::kOutput;
        }
        out.Sent("output settings");
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Assignment& a = values[i];
        if (a.setting->area == Area::kOutput) {
            continue;
        }
        if (stopping()) {
            return out;
        }
        if (a.setting->area == Area::kAdjustment) {
            const std::optional<std::uint8_t> format = m_link->GetInputFormat();
            if (!format) {
                return out.Fail(Fault::kNoResponse, kNoResponse, a.setting->name);
            }
            if (!IsInputFormat(*format)) {
                return out.Fail(Fault::kRefused, kNoInput, a.setting->name);
            }
            if (a.setting->autoSwitch >= 0) {
                const auto index = static_cast<std::uint8_t>(a.setting->autoSwitch);
                const std::optional<std::uint16_t> on = m_link->GetAdjustment(index);
                if (!on) {
                    return out.Fail(Fault::kNoResponse, kNoResponse, a.setting->name);
                }
                if (*on != 0) {
                    const Setting* automatic = AdjustmentSetting(kind, index);
                    return out.Fail(Fault::kRefused,
                                    std::string(a.setting->name) + " is set automatically while " +
                                        (automatic != nullptr ? automatic->name : "Auto") +
                                        " is on",
                                    a.setting->name);
                }
            }
            if (!m_link->SetAdjustment(a.setting->index, a.setting->ToWire(a.value))) {
                return out.Fail(Fault::kNoResponse, kNoResponse, a.setting->name);
            }
        } else if (a.setting->area == Area::kCableDetect) {
            std::optional<std::uint8_t> current;
            if (Outcome r = ReadCableDetect(current); !r) {
                return out.Then(std::move(r));
            }
            if (!current) {
                return out.Fail(Fault::kRefused, "this firmware has no cable-detect setting",
                                a.setting->name);
            }
            if (Outcome r = SetCableDetect((a.setting->ToWire(a.value) & 0xFF) != 0); !r) {
                return out.Then(std::move(r));
            }
        }
        p.sent[i] = true;
        out.Sent(a.setting->name);
    }
    return out;
}

Outcome Converter::CheckInputFormat(FormatCheck& check) {
    check = FormatCheck{};
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    const std::optional<std::uint8_t> reply = m_link->GetInputFormat();
    if (!reply) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "input format");
    }
    std::uint8_t code = *reply;
    // The codes from 0xF0 on are not formats; taking one as a format would adjust a table that
    // no signal selects.
    if (!IsInputFormat(code)) {
        code = kInputFormatNone;
    }
    if (code == kInputFormatNone) {
        if (m_lastFormat == kFormatNotAsked) {
            m_format = kInputFormatNone;
            m_lastFormat = kInputFormatNone;
            check.changed = true;
            return out;
        }
        m_format = kInputFormatNone;
        return out;
    }
    if (m_format == kInputFormatNone) {
        // The input was lost: the same format coming back keeps the values on screen.
        check.changed = code != m_lastFormat;
        check.notify = check.changed && m_lastFormat != kInputFormatNone;
    } else {
        check.changed = code != m_format;
        check.notify = check.changed && m_lastFormat != kFormatNotAsked;
    }
    m_format = code;
    m_lastFormat = code;
    return out;
}

std::optional<std::uint8_t> Converter::FactoryFormat() const {
    const std::uint8_t code = m_format == kInputFormatNone ? m_lastFormat : m_format;
    return IsInputFormat(code) ? std::optional<std::uint8_t>(code) : std::nullopt;
}

Outcome Converter::LoadAdjustments() {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    const KindModel& kind = Kind();
    std::vector<std::uint16_t> values(static_cast<std::size_t>(kind.adjustmentCount));
    for (std::size_t i = 0; i < values.size(); ++i) {
        const auto index = static_cast<std::uint8_t>(i);
        const std::optional<std::uint16_t> value = m_link->GetAdjustment(index);
        if (!value) {
            // A value that did not arrive is neither shown nor written back.
            return out.Fail(Fault::kNoResponse, kNoResponse, IndexText(index));
        }
        values[i] = *value;
    }
    m_adjustments = values;
    for (const Setting* s : AutoSwitches(kind)) {
        const bool on = s->FromWire(values[s->index]) != 0;
        if (Outcome r = SetAdjustment(s->index, on ? 1 : 0); !r) {
            return out.Then(std::move(r));
        }
    }
    return out;
}

Outcome Converter::SetAdjustment(std::uint8_t index, std::uint16_t value) {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    if (!m_link->SetAdjustment(index, value)) {
        return out.Fail(Fault::kNoResponse, kNoResponse, IndexText(index));
    }
    if (index < m_adjustments.size()) {
        m_adjustments[index] = value;
    }
    out.Sent(IndexText(index));
    return out;
}

Outcome Converter::QuerySeries(std::uint8_t& series) {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    const std::optional<std::uint8_t> code = m_link->GetSeriesCode();
    const CDevChannel& channel = Channel();
    // A converter that refuses the query or answers the reserved code has no series; one that
    // gave no usable reply must not pass for it.
    const bool answered =
        code.has_value() || (channel.m_nStatus == kStatusOk && channel.m_nReplyLength == 1) ||
        channel.m_nStatus == kErrorUnsupported1 || channel.m_nStatus == kErrorUnsupported2;
    series = code.value_or(kSeriesCodeReserved);
    m_series = series;
    if (!answered) {
        return out.Fail(channel.m_nStatus == kStatusOk ? Fault::kBadReply : Fault::kNoResponse,
                        kSeriesUnanswered, "series code");
    }
    return out;
}

Outcome Converter::LoadId() {
    Outcome out;
    m_id = IdGroup{};
    std::uint8_t series = kSeriesCodeReserved;
    const Outcome asked = QuerySeries(series);
    if (!m_link) {
        return asked;
    }
    m_id.supported = IdFunctionSupported(series, m_identity.fpgaVersion);
    // Whether the converter has the function is known when the series came back and, for a
    // converter of a series, its FPGA version too.
    m_id.known = asked.ok() && (series == kSeriesCodeReserved || FpgaKnown(m_identity.fpgaVersion));
    if (!asked.ok()) {
        out.Then(asked);
        out.fault = Fault::kBadReply;  // told, not fatal: the group shows no ID function
    } else if (!m_id.known) {
        out.Fail(Fault::kBadReply,
                 "the FPGA version was not read, so whether the converter has the ID function "
                 "is not known");
    }
    if (!m_id.supported) {
        return out;
    }
    switch (m_link->LoadIdRecord(m_id.block)) {
        case CDevLink::IdRead::kDecoded:
            m_id.read = true;
            m_id.decoded = true;
            break;
        case CDevLink::IdRead::kUndecodable:
            m_id.read = true;
            // The converter holds no usable record: the next save writes a well-formed one.
            m_id.owed = true;
            m_id.storeFields = kIdFieldsAll;
            break;
        case CDevLink::IdRead::kUnread:
            // Nothing known: defaults are shown and not written over whatever it holds.
            m_id.unread = true;
            break;
    }
    m_id.fields = IdFieldsOf(m_id.block);
    return out;
}

Outcome Converter::StageId(const IdFields& fields, unsigned touched) {
    Outcome out;
    IdBlock block{};
    switch (ComposeIdBlock(fields, block)) {
        case IdBlockError::kTooLong:
            return out.Fail(Fault::kRefused, "an ID text does not fit its field");
        case IdBlockError::kInvalid:
            return out.Fail(Fault::kRefused,
                            "the ID settings fail the validity check (DID range, ASCII)");
        case IdBlockError::kNone:
            break;
    }
    // A kind without a model name of its own leaves the stored one as it is. Fields the factory
    // settings cleared are replaced even when they read as before.
    m_id.storeFields = touched | m_id.reset | (fields.model.empty() ? 0u : kIdFieldModel);
    m_id.block = block;
    m_id.owed = true;
    return out;
}

Outcome Converter::WriteId(const IdChanges& changes, bool& written) {
    written = false;
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    if (!m_id.supported) {
        return out.Fail(Fault::kRefused,
                        "the ID function needs firmware 3.0 or later and FPGA 0x0AA or later "
                        "(nothing was sent)");
    }
    if (changes.Any() && !m_id.read) {
        return out.Fail(Fault::kRefused, "the ID record could not be read; nothing was sent");
    }
    if (!changes.Any() && (!m_id.owed || m_id.storeFields == 0)) {
        out.Skipped("ID record", "nothing to change");
        return out;  // nothing asked for, nothing owed: the converter keeps its record
    }
    std::uint8_t series = kSeriesCodeReserved;
    if (Outcome r = QuerySeries(series); !r) {
        return out.Fail(r.fault, "the converter does not answer the series query; nothing was sent",
                        "series code");
    }
    // Only the fields asked for (and ID and Name when the SN fills them) replace the converter's;
    // the store re-reads its record and keeps everything else as stored. A record that did not
    // decode is still owed whole.
    unsigned fields = m_id.owed ? m_id.storeFields : 0u;
    const IdFields merged = MergeIdChanges(m_id.fields, changes, series, KindId());
    fields |= (changes.enabled ? kIdFieldEnable : 0u) | (changes.did ? kIdFieldDid : 0u) |
              (changes.sn ? kIdFieldSerial : 0u) |
              (changes.id || merged.id != m_id.fields.id ? kIdFieldId : 0u) |
              (changes.name || merged.name != m_id.fields.name ? kIdFieldName : 0u);
    if (fields == 0) {
        out.Skipped("ID record", "nothing to change");
        return out;
    }
    if (Outcome r = StageId(merged, 0); !r) {
        return out.Then(std::move(r));
    }
    m_id.storeFields = fields | kIdFieldModel;
    if (!m_link->StoreIdRecord(m_id.block, m_id.storeFields, &written)) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "ID record");
    }
    m_id.owed = false;
    m_id.fields = merged;
    if (written) {
        out.Sent("ID record");
    } else {
        out.Skipped("ID record", "the converter already holds it");
    }
    return out;
}

Outcome Converter::CommitGeneral(bool revert) {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    if (revert) {
        if (Kind().oldFirmwareNoRevert && m_identity.oldFirmware) {
            return out.Fail(Fault::kRefused,
                            "firmware " + m_identity.runningVersion +
                                " cannot revert: the current settings stay in effect until the "
                                "converter is reset (nothing was sent)");
        }
        if (!m_link->CommitDeviceSettings(1)) {
            return out.Fail(Fault::kNoResponse, kNoResponse, "revert");
        }
        out.Sent("revert");
        return out;
    }
    // The converter must not store its settings while its ID record is not what was saved.
    if (m_id.owed) {
        bool written = false;
        if (!m_link->StoreIdRecord(m_id.block, m_id.storeFields, &written)) {
            return out.Fail(Fault::kNoResponse, kNoResponse, "ID record");
        }
        m_id.owed = false;
        m_id.reset = 0;
        if (written) {
            out.Sent("ID record");
        }
    }
    if (!m_link->CommitDeviceSettings(0)) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "save");
    }
    out.Sent("save");
    return out;
}

Outcome Converter::CommitAdjustments(bool revert, FormatCheck* seen) {
    Outcome out;
    FormatCheck none;
    FormatCheck& check = seen != nullptr ? *seen : none;
    check = FormatCheck{};
    if (!m_link) {
        return NotOpen();
    }
    if (!Kind().HasAdjustments()) {
        return out;
    }
    // Only a change against values shown keeps the table from being stored; without values
    // shown (vexiloctl, the service) the current format's table is.
    const bool asked = seen != nullptr && m_lastFormat != kFormatNotAsked;
    if (Outcome r = CheckInputFormat(check); !r) {
        return out.Then(std::move(r));
    }
    if (!asked) {
        check = FormatCheck{};
    }
    if (check.changed) {
        // The values shown belong to the old format: neither stored nor reverted.
        out.Skipped("adjustments", "the input format changed");
        return out;
    }
    if (!IsInputFormat(seen != nullptr ? m_lastFormat : m_format)) {
        out.Skipped("adjustments", "no input signal");
        return out;
    }
    if (!m_link->CommitAdjustments(revert ? 1 : 0)) {
        return out.Fail(Fault::kNoResponse, kNoResponse, "adjustments");
    }
    out.Sent("adjustments");
    return out;
}

Outcome Converter::Save() {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    if (m_identity.idSupported) {
        // As the page's save with the ID group untouched: the model name is the panel's to set,
        // and a record that does not decode gets a well-formed one.
        std::uint8_t series = kSeriesCodeReserved;
        if (Outcome r = QuerySeries(series); !r) {
            return out.Then(std::move(r));
        }
        if (!m_id.owed) {
            IdFields fields = m_id.fields;
            fields.model = MakeModelName(series, KindId());
            if (Outcome r = StageId(fields, 0); !r) {
                return out.Then(std::move(r));
            }
        }
    }
    if (Outcome r = CommitGeneral(false); !r) {
        return out.Then(std::move(r));
    } else {
        out.Then(std::move(r));
    }
    return out.Then(CommitAdjustments(false));
}

Outcome Converter::Revert() {
    Outcome out = CommitGeneral(true);
    if (!out) {
        return out;
    }
    return out.Then(CommitAdjustments(true));
}

Outcome Converter::FactorySettings(bool resetId) {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    if (Kind().cableDetect) {
        // A setting not read yet is read first, so a guess is never written.
        if (m_cable == CableDetect::kUnknown) {
            std::optional<std::uint8_t> current;
            if (Outcome r = ReadCableDetect(current); !r && r.fault == Fault::kNoResponse) {
                return out.Then(std::move(r));
            }
        }
        if (m_cable == CableDetect::kOn || m_cable == CableDetect::kOff) {
            if (Outcome r = SetCableDetect(true); !r) {
                return out.Then(std::move(r));
            } else {
                out.Then(std::move(r));
            }
        } else {
            out.Skipped("cable detect", "this firmware has no readable cable-detect setting");
        }
    }
    if (Outcome r = SendOutput(kFactoryOutput); !r) {
        return out.Then(std::move(r));
    } else {
        out.Then(std::move(r));
    }
    if (!resetId) {
        out.Skipped("ID settings", "left as stored");
        return out;
    }
    IdFields cleared;
    cleared.did = kIdDidDefault;
    m_id.fields = cleared;
    m_id.unread = false;  // every field is now the panel's own: the save replaces them all
    m_id.reset = kIdFieldEnable | kIdFieldDid | kIdFieldSerial | kIdFieldId | kIdFieldName;
    if (m_id.supported) {
        out.Skipped("ID settings", "cleared; stored at the next save");
    }
    return out;
}

Outcome Converter::FactoryAdjustments() {
    Outcome out;
    if (!m_link) {
        return NotOpen();
    }
    const KindModel& kind = Kind();
    if (!kind.HasAdjustments()) {
        return out.Fail(Fault::kRefused,
                        std::string(kind.Name()) + " converters have no adjustments");
    }
    const std::optional<std::uint8_t> format = FactoryFormat();
    if (!format) {
        return out.Fail(Fault::kRefused, kNoInput);
    }
    for (const Setting& s : kind.settings) {
        if (!s.PerFormat()) {
            continue;
        }
        if (Outcome r = SetAdjustment(s.index, s.ToWire(s.FactoryValue(*format))); !r) {
            return out.Then(std::move(r));
        } else {
            out.Then(std::move(r));
        }
    }
    return out;
}

}  // namespace vexilo::model
