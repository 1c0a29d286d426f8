#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/converter_model.h"
#include "model/id_rules.h"
#include "model/operations.h"
#include "protocol/dev_link.h"
#include "protocol/device_requests.h"

// One attached converter as every front end sees it: what start-up learned of it, its ID group,
// its input-format tracking, and every operation the panel's pages, vexiloctl and the Ember+
// service perform on it. Nothing here shows anything; each operation returns an Outcome that
// says what was sent, what was skipped and why, and what failed and why (without the port: the
// caller names the converter). Not thread-safe; different converters may run on different
// threads.
namespace vexilo::model {

// Input format codes from 0xF0 on name no adjustment table (0xFF: no input signal).
inline constexpr std::uint8_t kFirstNonFormatCode = 0xF0;
inline bool IsInputFormat(std::uint8_t code) {
    return code < kFirstNonFormatCode;
}
// Input-format tracking: the converter has not been asked yet.
inline constexpr std::uint8_t kFormatNotAsked = 0xFE;

// Why an operation stopped.
enum class Fault {
    kNone,
    kNotConnected,     // no reply to the connection checks
    kNotMainFirmware,  // the main firmware does not run
    kBootUpdater,      // the boot-update firmware runs
    kNoResponse,       // a transaction failed: the converter must be taken as gone
    kBadReply,         // the converter answered, but not with what was asked for
    kRefused,          // checked before sending: nothing was sent
    kStopped,          // the caller's stop flag ended it between commands
};

// One step of an operation.
struct Step {
    enum class State { kSent, kSkipped, kFailed };
    std::string what;
    State state = State::kSent;
    std::string why;  // skipped or failed: the reason
};

// What an operation did.
struct Outcome {
    Fault fault = Fault::kNone;
    std::string error;  // the failure in words; empty when none
    std::vector<Step> steps;

    bool ok() const { return fault == Fault::kNone; }
    explicit operator bool() const { return ok(); }

    void Sent(std::string what) { steps.push_back({std::move(what), Step::State::kSent, {}}); }
    void Skipped(std::string what, std::string why) {
        steps.push_back({std::move(what), Step::State::kSkipped, std::move(why)});
    }
    // Ends the outcome with a failure of `what`; returns it for `return out.Fail(...)`.
    Outcome& Fail(Fault f, std::string text, std::string what = {}) {
        fault = f;
        error = std::move(text);
        if (!what.empty()) {
            steps.push_back({std::move(what), Step::State::kFailed, error});
        }
        return *this;
    }
    // The steps of `other` follow ours; its failure, if any, becomes ours.
    Outcome& Then(Outcome other);
    // The steps skipped, as "what (why)" joined by "; ".
    std::string SkippedText() const;
};

// What start-up learns of a converter.
struct Identity {
    vexilo::Kind kind = vexilo::Kind::Other;
    std::string runningVersion;  // version texts as sent (ASCII)
    std::string secondVersion;
    std::uint8_t boardRevision = 0;
    std::uint16_t fpgaVersion = kFpgaNotRead;
    std::uint8_t series = 0xFF;  // 0xFF: not answered
    bool oldFirmware = false;
    bool idSupported = false;
    std::string model;  // ModelString(series, kind)

    const KindModel& Kind() const { return KindOf(kind); }
};

// The converter's ID record as the panel holds it between reading and storing.
struct IdGroup {
    bool known = false;      // whether the converter has the ID function could be told
    bool supported = false;  // the ID function is supported (firmware and FPGA)
    bool read = false;       // the record was read from the converter
    bool decoded = false;    // and held a valid record (else the defaults stand)
    bool unread = false;     // supported, but the record could not be read: defaults stand
    IdFields fields;         // as read (defaults when not decoded)
    // What the next store puts over the converter's record: `block`'s `storeFields`. Owed after
    // a record that does not decode (the whole block) and after StageId.
    bool owed = false;
    IdBlock block = DefaultIdBlock();
    unsigned storeFields = kIdFieldsAll;
    // Fields the factory settings cleared since the last store: stored whatever they read.
    unsigned reset = 0;
};

// The current values of settings, as read from the converter.
struct SettingsSnapshot {
    std::optional<requests::OutputSettings> output;  // as the page takes them (sanitized)
    std::uint8_t inputFormat = kInputFormatNone;     // of the adjustments read
    std::vector<std::uint16_t> adjustments;          // converter values, by index
    std::optional<std::uint8_t> cableDetect;         // nothing: this firmware lacks it

    // The shown value of `setting`; nothing when it was not read or the area is missing.
    std::optional<int> Value(const Setting& setting) const;
};

// How far a WriteSettings got: which assignments the converter accepted (by position), and a
// flag that, once set, stops it before the next assignment.
struct WriteProgress {
    std::vector<bool> sent;
    const std::atomic<bool>* stop = nullptr;
    bool stopped = false;  // the flag stopped it; the assignments not sent are the rest
};

// What a look at the input format found.
struct FormatCheck {
    bool changed = false;  // the values shown no longer belong to the current format
    bool notify = false;   // one real format was followed by another: the operator is told
};

// The cable-detect setting as last read or written.
enum class CableDetect { kUnknown, kOn, kOff, kUnsupported, kUnreadable };

class Converter {
public:
    // A converter of the kind its link was opened for; `label` names it in messages.
    explicit Converter(std::unique_ptr<CDevLink> link, std::string label = {});
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // The converter's port is open.
    bool IsOpen() const { return m_link != nullptr; }
    CDevLink* Link() const { return m_link.get(); }
    // Closes the port; every later operation fails without sending.
    void Close() { m_link.reset(); }
    std::unique_ptr<CDevLink> ReleaseLink() { return std::move(m_link); }
    // The status of the last transaction (kStatusNoReply once closed).
    int LastStatus() const;

    vexilo::Kind KindId() const { return m_identity.kind; }
    const KindModel& Kind() const { return m_identity.Kind(); }
    const std::string& Label() const { return m_label; }
    void SetLabel(std::string label) { m_label = std::move(label); }
    const Identity& Identified() const { return m_identity; }
    bool IsIdentified() const { return m_identified; }
    const IdGroup& Id() const { return m_id; }

    // ---- Start-up ----
    // The panel's start-up reads in their order: connection check (5 tries), the four version
    // reads with the firmware checks, the series code and the ID record, the output settings
    // and the status, then the kind's own: the input format and its adjustment table (with the
    // Auto switches written back as read), or the cable-detect setting; last, `withCaption`, the
    // series code once more for the tab caption (ReadCaption). Stops at the first failure, or
    // when `stop` is set.
    Outcome Start(const std::atomic<bool>* stop = nullptr, bool withCaption = true);
    bool Started() const { return m_started; }
    // How the last Start ended.
    const Outcome& StartResult() const { return m_startResult; }
    // What Start read (each empty when the reply did not carry it).
    const std::optional<requests::OutputSettings>& StartOutput() const { return m_output; }
    const std::optional<requests::StatusBlock>& StartStatus() const { return m_status; }
    const std::vector<std::uint16_t>& Adjustments() const { return m_adjustments; }
    CableDetect CableDetectSetting() const { return m_cable; }
    // The series code of the last query (0xFF: not answered).
    std::uint8_t Series() const { return m_series; }
    // The tab caption's series query (0x05), unless start-up asked it already.
    void ReadCaption();

    // Connection check (`attempts` tries), the version reads with the firmware checks, the
    // series code. Fails on no answer or on a firmware that is not the main one.
    Outcome Identify(int attempts = 1);

    // ---- Status and settings ----
    // Command 0x03. A reply shorter than the status block fails with kBadReply.
    Outcome ReadStatus(requests::StatusBlock& status);
    // Sends the output settings as the page's radio buttons give them.
    Outcome SendOutput(const requests::OutputSettings& settings);
    // Reads the areas `settings` need: the output settings, the current input format's table,
    // the cable-detect setting. Adjustments need an input signal; without one they stay unread.
    Outcome ReadSettings(std::span<const Setting* const> settings, SettingsSnapshot& snapshot);
    // Sends checked values as the page's controls do, stopping at the first failure or when
    // `progress->stop` is set. A setting whose Auto switch is on is refused.
    Outcome WriteSettings(std::span<const Assignment> values, WriteProgress* progress = nullptr);
    // Command 0x15.
    Outcome SetCableDetect(bool on);

    // ---- Adjustments (kinds with a table per input format) ----
    // Asks the input format and follows it: `check` says whether the values shown belong to
    // another format now, and whether the operator should hear of it.
    Outcome CheckInputFormat(FormatCheck& check);
    std::uint8_t InputFormat() const { return m_format; }     // kInputFormatNone: no input
    std::uint8_t LastFormat() const { return m_lastFormat; }  // the last real format seen
    // The format whose factory values apply: the current one, else the last one seen.
    std::optional<std::uint8_t> FactoryFormat() const;
    // Reads the current table in index order and writes the kind's Auto switches back as read.
    Outcome LoadAdjustments();
    // Command 0x08 0x01 for one adjustment.
    Outcome SetAdjustment(std::uint8_t index, std::uint16_t value);

    // ---- ID group ----
    // 0x05 and, when supported, 0x11 into Id(). A record that cannot be read or decoded leaves
    // defaults; one that does not decode is owed a well-formed record at the next store.
    Outcome LoadId();
    // The series code for the ID model name (0x05); fails when unanswered.
    Outcome QuerySeries(std::uint8_t& series);
    // Makes `fields` what the next store writes: their `touched` bits, those the factory settings
    // cleared, and the model name (when the kind has one). Refused without sending when the fields
    // do not make a valid block.
    Outcome StageId(const IdFields& fields, unsigned touched);
    // Read-merge-write of `changes` over the record read by LoadId: 0x05 for the model name,
    // then the store. Refuses without sending when the ID function is unsupported, or when
    // there are changes and the record was not read. `written` tells whether 0x12 was sent.
    Outcome WriteId(const IdChanges& changes, bool& written);

    // ---- Save, revert, factory ----
    // The general settings: on save (mode 0) the owed ID store first, then 0x09; on revert
    // 0x09 0x00 0x01. Refused without sending on the DVI converters' old firmware, which
    // cannot revert.
    Outcome CommitGeneral(bool revert);
    // After CommitGeneral: the adjustment table (0x0F, then 0x09 0x01 mode). With `check` (a
    // page that shows the values) the table of the format last seen, skipped when the format
    // changed since the values were read (`check` then tells the caller, who reloads them);
    // without, the current format's, skipped without an input signal.
    Outcome CommitAdjustments(bool revert, FormatCheck* check = nullptr);
    // vexiloctl's and the service's save and revert: for a save the ID step first (0x05 and the
    // store of the model name; a record that does not decode is replaced), then CommitGeneral
    // and CommitAdjustments.
    Outcome Save();
    Outcome Revert();
    // "出荷時設定": the cable detection on (when the converter has it), the factory output
    // settings; with `resetId` the ID group is staged as cleared, to be stored at the next save.
    Outcome FactorySettings(bool resetId);
    // "調整値出荷時設定": the factory adjustment values of the format last checked (the current
    // one, else the last one seen), in the kind's order. Refused when no format was seen.
    Outcome FactoryAdjustments();

private:
    Outcome StartReads(const std::atomic<bool>* stop, bool withCaption);
    // The connection check (`attempts` tries), the version reads and the firmware checks.
    Outcome ReadVersions(int attempts, const std::atomic<bool>* stop);
    Outcome ReadCableDetect(std::optional<std::uint8_t>& setting);
    // Command 0x07 for the output settings, as the page takes them (sanitized).
    Outcome ReadOutput(requests::OutputSettings& settings);
    Outcome NotOpen() const;
    CDevChannel& Channel() { return m_link->Channel(); }

    std::unique_ptr<CDevLink> m_link;
    std::string m_label;
    Identity m_identity;
    bool m_identified = false;
    bool m_started = false;
    bool m_captionRead = false;
    Outcome m_startResult;
    std::uint8_t m_series = 0xFF;
    IdGroup m_id;
    std::optional<requests::OutputSettings> m_output;
    std::optional<requests::StatusBlock> m_status;
    std::vector<std::uint16_t> m_adjustments;
    CableDetect m_cable = CableDetect::kUnknown;
    std::uint8_t m_format = kFormatNotAsked;
    std::uint8_t m_lastFormat = kFormatNotAsked;
};

}  // namespace vexilo::model
