#include "model/operations.h"

#include <algorithm>
#include <array>

#include "protocol/commands.h"

namespace vexilo::model {

namespace {

constexpr char kNoResponse[] = "the converter does not respond";
constexpr char kNoInput[] =
    "no input signal: the adjustments belong to an input format, and none is detected";

std::string VersionText(const std::array<std::uint8_t, kVersionTextSize>& buffer) {
    return FieldText(buffer.data(), buffer.size());
}

// The input format whose adjustment table the converter now addresses; fails without one.
OpResult CurrentFormat(CDevLink& link, std::uint8_t& format) {
    const std::optional<std::uint8_t> code = link.GetInputFormat();
    if (!code) {
        return OpResult::Fail(kNoResponse);
    }
    format = *code;
    if (!IsInputFormat(format)) {
        return OpResult::Fail(kNoInput);
    }
    return OpResult::Ok();
}

OpResult SendAdjustment(CDevLink& link, std::uint8_t index, std::uint16_t value) {
    return link.SetAdjustment(index, value) ? OpResult::Ok() : OpResult::Fail(kNoResponse);
}

// The cable-detect setting; nothing on firmware without it.
OpResult ReadCableDetect(CDevLink& link, std::optional<std::uint8_t>& setting) {
    const auto reply = requests::GetCableDetect(link.Channel());
    if (reply.HasValue()) {
        setting = reply.value != 0 ? 1 : 0;
        return OpResult::Ok();
    }
    setting.reset();
    if (reply.Unsupported()) {
        return OpResult::Ok();
    }
    if (!reply.Failed()) {
        return OpResult::Fail("the cable-detect reply does not carry the setting");
    }
    return OpResult::Fail(kNoResponse);
}

// After the general settings: the adjustment table of the current input format, when there is
// one (mode 0 saves, 1 reverts).
OpResult CommitAdjustmentTable(CDevLink& link, const Identity& identity, std::uint8_t mode) {
    if (!identity.Kind().HasAdjustments()) {
        return OpResult::Ok();
    }
    const std::optional<std::uint8_t> format = link.GetInputFormat();
    if (!format) {
        return OpResult::Fail(kNoResponse);
    }
    if (!IsInputFormat(*format)) {
        return OpResult::Ok();  // no format: no table to store or revert
    }
    return link.CommitAdjustments(mode) ? OpResult::Ok() : OpResult::Fail(kNoResponse);
}

// The series code as the ID function needs it: `answered` false when the converter gave no
// usable reply, which must not pass for a converter without a series (one that refuses the query
// or answers the reserved code).
std::uint8_t QuerySeries(CDevLink& link, bool& answered) {
    const std::optional<std::uint8_t> code = link.GetSeriesCode();
    const CDevChannel& channel = link.Channel();
    answered = code.has_value() ||
               (channel.m_nStatus == kStatusOk && channel.m_nReplyLength == 1) ||
               channel.m_nStatus == kErrorUnsupported1 || channel.m_nStatus == kErrorUnsupported2;
    return code.value_or(kSeriesCodeReserved);
}

constexpr char kSeriesUnanswered[] =
    "the converter does not answer the series query, so whether it has the ID function is not "
    "known";

bool ValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        int extra = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(extra) >= text.size()) {
            return false;  // cut short
        }
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80) {
                return false;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        static constexpr std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    return true;
}

}  // namespace

OpResult Identify(CDevLink& link, Identity& identity, int attempts) {
    identity = Identity{};
    identity.kind = link.m_kind;
    if (!link.CheckConnection(attempts, false)) {
        return OpResult::Fail("the converter is not connected (no answer to the connection check)");
    }
    std::array<std::uint8_t, kVersionTextSize> running{};
    std::array<std::uint8_t, kVersionTextSize> second{};
    link.GetVersionInfo(kVersionRunning, running.data(), kVersionTextSize);
    const bool runningAnswered = link.Channel().m_nStatus == kStatusOk;
    link.GetVersionInfo(kVersionSecond, second.data(), kVersionTextSize);
    const bool secondAnswered = link.Channel().m_nStatus == kStatusOk;
    identity.runningVersion = VersionText(running);
    identity.secondVersion = VersionText(second);
    switch (CheckFirmware(identity.runningVersion, identity.secondVersion)) {
        case Firmware::kNotMain:
            // Two texts that never arrived are equal too; the firmware is not to blame then.
            if (!runningAnswered && !secondAnswered) {
                return OpResult::Fail(
                    "the converter does not respond (no answer to the version query)");
            }
            return OpResult::Fail("the converter is not running its main firmware; update it");
        case Firmware::kBootUpdater:
            return OpResult::Fail(
                "the converter is running the boot-update firmware; update the firmware");
        case Firmware::kMain:
            break;
    }
    identity.oldFirmware = IsOldFirmware(identity.runningVersion);
    link.GetVersionInfo(kVersionBoard, &identity.boardRevision, 1);
    // Little-endian; a read that fails or stops short leaves high bits that mark "not read".
    std::array<std::uint8_t, 2> fpga{0x00, 0xF0};
    link.GetVersionInfo(kVersionFpga, fpga.data(), 2);
    identity.fpgaVersion = static_cast<std::uint16_t>(fpga[0] | (fpga[1] << 8));
    identity.series = link.GetSeriesCode().value_or(0xFF);
    identity.idSupported = IdFunctionSupported(identity.series, identity.fpgaVersion);
    identity.model = ModelString(identity.series, identity.kind);
    return OpResult::Ok();
}

OpResult ReadStatus(CDevLink& link, requests::StatusBlock& status) {
    const auto reply = requests::ReadStatus(link.Channel());
    if (reply.Failed()) {
        return OpResult::Fail(kNoResponse);
    }
    if (!reply.HasValue()) {
        return OpResult::Fail("the status reply is too short");
    }
    status = reply.value;
    return OpResult::Ok();
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

OpResult ReadSettings(CDevLink& link, const KindModel& kind,
                      std::span<const Setting* const> settings, SettingsSnapshot& snapshot) {
    snapshot = SettingsSnapshot{};
    auto needs = [&](Area area) {
        return std::any_of(settings.begin(), settings.end(),
                           [&](const Setting* s) { return s->area == area; });
    };
    if (needs(Area::kOutput)) {
        const auto reply = requests::GetOutputSettings(link.Channel());
        if (reply.Failed()) {
            return OpResult::Fail(kNoResponse);
        }
        if (!reply.HasValue()) {
            return OpResult::Fail("the output settings reply is too short");
        }
        snapshot.output = SanitizeOutputSettings(reply.value);
    }
    if (needs(Area::kAdjustment) && kind.HasAdjustments()) {
        const std::optional<std::uint8_t> format = link.GetInputFormat();
        if (!format) {
            return OpResult::Fail(kNoResponse);
        }
        snapshot.inputFormat = *format;
        if (IsInputFormat(snapshot.inputFormat)) {
            for (int i = 0; i < kind.adjustmentCount; ++i) {
                const auto index = static_cast<std::uint8_t>(i);
                const std::optional<std::uint16_t> value = link.GetAdjustment(index);
                if (!value) {
                    return OpResult::Fail(link.Channel().m_nStatus != kStatusOk
                                              ? kNoResponse
                                              : "an adjustment reply does not carry a value");
                }
                snapshot.adjustments.push_back(*value);
            }
        }
    }
    if (needs(Area::kCableDetect) && kind.cableDetect) {
        if (OpResult r = ReadCableDetect(link, snapshot.cableDetect); !r) {
            return r;
        }
    }
    return OpResult::Ok();
}

std::optional<Assignment> ParseAssignment(const KindModel& kind, std::string_view text,
                                          std::string& error) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        error = "'" + std::string(text) + "': expected NAME=VALUE";
        return std::nullopt;
    }
    const std::string_view name = text.substr(0, eq);
    const Setting* setting = kind.Find(name);
    if (setting == nullptr) {
        std::string names;
        for (const Setting& s : kind.settings) {
            if (s.writable) {
                names += (names.empty() ? "" : ", ") + std::string(s.name);
            }
        }
        error = "'" + std::string(name) + "' is not a setting of " + kind.Name() +
                " converters (settings: " + names + ")";
        return std::nullopt;
    }
    if (!setting->writable) {
        error = std::string(setting->name) + " is shown only; it cannot be set";
        return std::nullopt;
    }
    const auto value = ParseValue(*setting, text.substr(eq + 1), error);
    if (!value) {
        return std::nullopt;
    }
    return Assignment{setting, *value};
}

OpResult WriteSettings(CDevLink& link, const KindModel& kind, std::span<const Assignment> values,
                       WriteProgress* progress) {
    WriteProgress none;
    WriteProgress& p = progress != nullptr ? *progress : none;
    p.sent.assign(values.size(), false);
    p.stopped = false;
    const auto stopping = [&p] {
        p.stopped = p.stop != nullptr && p.stop->load();
        return p.stopped;
    };
    if (stopping()) {
        return OpResult::Ok();
    }
    const bool anyOutput = std::any_of(values.begin(), values.end(), [](const Assignment& a) {
        return a.setting->area == Area::kOutput;
    });
    if (anyOutput) {
        const auto reply = requests::GetOutputSettings(link.Channel());
        if (reply.Failed()) {
            return OpResult::Fail(kNoResponse);
        }
        if (!reply.HasValue()) {
            return OpResult::Fail("the output settings reply is too short");
        }
        requests::OutputSettings out = SanitizeOutputSettings(reply.value);
        for (const Assignment& a : values) {
            if (a.setting->area != Area::kOutput) {
                continue;
            }
            const auto byte = static_cast<std::uint8_t>(a.setting->ToWire(a.value));
            (a.setting->index == 0   ? out.format
             : a.setting->index == 1 ? out.level
                                     : out.scaler) = byte;
        }
        if (!requests::SendOutputSettings(link.Channel(), out)) {
            return OpResult::Fail(kNoResponse);
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            p.sent[i] = values[i].setting->area == Area::kOutput;
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Assignment& a = values[i];
        if (a.setting->area == Area::kOutput) {
            continue;
        }
        if (stopping()) {
            return OpResult::Ok();
        }
        if (a.setting->area == Area::kAdjustment) {
            std::uint8_t format = 0;
            if (OpResult r = CurrentFormat(link, format); !r) {
                return r;
            }
            if (a.setting->autoSwitch >= 0) {
                const auto index = static_cast<std::uint8_t>(a.setting->autoSwitch);
                const std::optional<std::uint16_t> on = link.GetAdjustment(index);
                if (!on) {
                    return OpResult::Fail(kNoResponse);
                }
                if (*on != 0) {
                    const Setting* automatic = AdjustmentSetting(kind, index);
                    return OpResult::Fail(
                        std::string(a.setting->name) + " is set automatically while " +
                        (automatic != nullptr ? automatic->name : "Auto") + " is on");
                }
            }
            if (OpResult r = SendAdjustment(link, a.setting->index, a.setting->ToWire(a.value));
                !r) {
                return r;
            }
        } else if (a.setting->area == Area::kCableDetect) {
            std::optional<std::uint8_t> current;
            if (OpResult r = ReadCableDetect(link, current); !r) {
                return r;
            }
            if (!current) {
                return OpResult::Fail("this firmware has no cable-detect setting");
            }
            if (!requests::SetCableDetect(link.Channel(), a.setting->ToWire(a.value) & 0xFF)) {
                return OpResult::Fail(kNoResponse);
            }
        }
        p.sent[i] = true;
    }
    return OpResult::Ok();
}

OpResult Save(CDevLink& link, const Identity& identity) {
    // As the page's save with the ID group untouched: the converter keeps its record, except one
    // that does not decode, which gets a well-formed one.
    if (identity.idSupported) {
        IdRecord record;
        if (OpResult r = ReadIdRecord(link, identity, record); !r) {
            return r;
        }
        bool written = false;
        if (OpResult r = WriteIdRecord(link, identity, record, IdChanges{}, written); !r) {
            return r;
        }
    }
    link.m_bIdChanged = false;
    if (!link.CommitDeviceSettings(0)) {
        return OpResult::Fail(kNoResponse);
    }
    return CommitAdjustmentTable(link, identity, 0);
}

OpResult Revert(CDevLink& link, const Identity& identity) {
    if (identity.Kind().oldFirmwareNoRevert && identity.oldFirmware) {
        return OpResult::Fail("firmware " + identity.runningVersion +
                              " cannot revert: the current settings stay in effect until the "
                              "converter is reset (nothing was sent)");
    }
    if (!link.CommitDeviceSettings(1)) {
        return OpResult::Fail(kNoResponse);
    }
    return CommitAdjustmentTable(link, identity, 1);
}

OpResult FactorySettings(CDevLink& link, const Identity& identity) {
    if (identity.Kind().cableDetect) {
        std::optional<std::uint8_t> current;
        if (OpResult r = ReadCableDetect(link, current); !r) {
            return r;
        }
        if (current && !requests::SetCableDetect(link.Channel(), 1)) {
            return OpResult::Fail(kNoResponse);
        }
    }
    if (!requests::SendOutputSettings(link.Channel(), kFactoryOutput)) {
        return OpResult::Fail(kNoResponse);
    }
    return OpResult::Ok();
}

OpResult FactoryAdjustments(CDevLink& link, const Identity& identity) {
    const KindModel& kind = identity.Kind();
    if (!kind.HasAdjustments()) {
        return OpResult::Fail(std::string(kind.Name()) + " converters have no adjustments");
    }
    std::uint8_t format = 0;
    if (OpResult r = CurrentFormat(link, format); !r) {
        return r;
    }
    for (const Setting& s : kind.settings) {
        if (!s.PerFormat()) {
            continue;
        }
        if (OpResult r = SendAdjustment(link, s.index, s.ToWire(s.FactoryValue(format))); !r) {
            return r;
        }
    }
    return OpResult::Ok();
}

OpResult ReadIdRecord(CDevLink& link, const Identity& identity, IdRecord& record) {
    record = IdRecord{};
    bool answered = false;
    const std::uint8_t series = QuerySeries(link, answered);
    if (!answered) {
        return OpResult::Fail(kSeriesUnanswered);
    }
    if (series != kSeriesCodeReserved && !FpgaKnown(identity.fpgaVersion)) {
        return OpResult::Fail(
            "the FPGA version was not read, so whether the converter has the ID function is not "
            "known");
    }
    record.supported = IdFunctionSupported(series, identity.fpgaVersion);
    if (!record.supported) {
        return OpResult::Ok();
    }
    record.decoded = link.LoadIdSettings();
    // LoadIdSettings marks an undecodable record for rewriting; a record that could not be read
    // leaves the flag clear.
    record.read = record.decoded || link.m_bIdChanged;
    record.fields = IdFieldsOf(link.m_abyIdBlock);
    return OpResult::Ok();
}

std::optional<IdChanges> CheckIdChanges(const std::optional<std::string>& enable,
                                        const std::optional<std::string>& did,
                                        const std::optional<std::string>& sn,
                                        const std::optional<std::string>& id,
                                        const std::optional<std::string>& name,
                                        std::string& error) {
    IdChanges changes;
    if (enable) {
        if (*enable == "on") {
            changes.enabled = true;
        } else if (*enable == "off") {
            changes.enabled = false;
        } else {
            error = "--enable: '" + *enable + "' is not allowed (allowed: on|off)";
            return std::nullopt;
        }
    }
    if (did) {
        changes.did = ParseDid(*did);
        if (!changes.did) {
            error = "--did: '" + *did + "' is not allowed (allowed: 0x50..0x5F)";
            return std::nullopt;
        }
    }
    if (sn) {
        if (!sn->empty() && FilterSnDigits(*sn) != *sn) {
            error = "--sn: '" + *sn + "' is not allowed (allowed: 1 to 8 digits, or empty)";
            return std::nullopt;
        }
        changes.sn = PadSn(*sn);
    }
    if (id) {
        const std::string filtered = FilterIdText(*id);
        if (filtered.size() != id->size()) {
            error = "--id: '" + *id +
                    "' is not allowed (allowed: up to 16 of A-Z, 0-9 and _; a-z are taken as "
                    "A-Z)";
            return std::nullopt;
        }
        changes.id = filtered;
    }
    if (name) {
        // A NUL would cut the stored Name short; other control characters are no text either.
        const bool control = std::any_of(name->begin(), name->end(), [](char ch) {
            return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F;
        });
        if (control || !ValidUtf8(*name) || LimitNameUtf8(*name).size() != name->size()) {
            error =
                "--name: not allowed (allowed: UTF-8 text of at most 80 bytes, no control "
                "characters)";
            return std::nullopt;
        }
        changes.name = *name;
    }
    return changes;
}

IdFields MergeIdChanges(const IdFields& current, const IdChanges& changes, std::uint8_t series,
                        Kind kind) {
    IdFields merged = current;
    if (merged.did < kIdDidMin || merged.did > kIdDidMax) {
        merged.did = kIdDidDefault;  // shown as 0x5F, and stored as shown
    }
    if (changes.enabled) {
        merged.enabled = *changes.enabled;
    }
    if (changes.did) {
        merged.did = *changes.did;
    }
    if (changes.sn) {
        merged.sn = *changes.sn;
        // The page fills ID and Name from a new SN while the operator has not written either.
        if (!changes.id && !changes.name && current.id.empty() && current.name.empty() &&
            !changes.sn->empty()) {
            const std::string fill = AutoFillText(series, kind, *changes.sn);
            merged.id = FilterIdText(fill);
            merged.name = LimitNameUtf8(fill);
        }
    }
    if (changes.id) {
        merged.id = *changes.id;
    }
    if (changes.name) {
        merged.name = *changes.name;
    }
    merged.model = MakeModelName(series, kind);
    return merged;
}

OpResult WriteIdRecord(CDevLink& link, const Identity& identity, const IdRecord& record,
                       const IdChanges& changes, bool& written) {
    written = false;
    if (!record.supported) {
        return OpResult::Fail(
            "the ID function needs firmware 3.0 or later and FPGA 0x0AA or later (nothing was "
            "sent)");
    }
    if (changes.Any() && !record.read) {
        return OpResult::Fail("the ID record could not be read; nothing was sent");
    }
    if (!changes.Any() && (!link.m_bIdChanged || link.m_nIdFields == 0)) {
        return OpResult::Ok();  // nothing asked for, nothing owed: the converter keeps its record
    }
    bool answered = false;
    const std::uint8_t series = QuerySeries(link, answered);
    if (!answered) {
        return OpResult::Fail("the converter does not answer the series query; nothing was sent");
    }
    // Only the fields asked for (and ID and Name when the SN fills them) replace the converter's;
    // the store re-reads its record and keeps everything else as stored. A record that did not
    // decode is still owed whole.
    unsigned fields = link.m_bIdChanged ? link.m_nIdFields : 0u;
    const IdFields merged = MergeIdChanges(record.fields, changes, series, identity.kind);
    fields |= (changes.enabled ? kIdFieldEnable : 0u) | (changes.did ? kIdFieldDid : 0u) |
              (changes.sn ? kIdFieldSerial : 0u) |
              (changes.id || merged.id != record.fields.id ? kIdFieldId : 0u) |
              (changes.name || merged.name != record.fields.name ? kIdFieldName : 0u);
    if (fields == 0) {
        return OpResult::Ok();  // nothing asked for: the converter keeps its record
    }
    IdBlock block{};
    switch (ComposeIdBlock(merged, block)) {
        case IdBlockError::kTooLong:
            return OpResult::Fail("an ID text does not fit its field");
        case IdBlockError::kInvalid:
            return OpResult::Fail("the ID settings fail the validity check (DID range, ASCII)");
        case IdBlockError::kNone:
            break;
    }
    link.m_nIdFields = fields | kIdFieldModel;
    link.m_abyIdBlock = block;
    link.m_bIdValid = true;
    link.m_bIdChanged = true;
    // StoreIdSettings writes only a block that differs; a write shows as the flag going clear
    // with the write command as the last one sent.
    const auto& channel = link.Channel();
    if (!link.StoreIdSettings()) {
        return OpResult::Fail(kNoResponse);
    }
    written = channel.m_nRequestLength > 0 && channel.m_abySend[1] == kCmdWriteIdBlock;
    return OpResult::Ok();
}

}  // namespace vexilo::model
