#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/converter_model.h"
#include "model/id_rules.h"
#include "protocol/dev_link.h"
#include "protocol/device_requests.h"

// Operations on one attached converter as plain functions over its CDevLink, each sending the
// same commands as the page's control for the same action. None shows anything: a failure comes
// back as an OpResult whose text says what went wrong (without the port; the caller adds it).
// Not thread-safe per link; different links may run on different threads.
namespace vexilo::model {

// Input format codes from 0xF0 on name no adjustment table (0xFF: no input signal).
inline constexpr std::uint8_t kFirstNonFormatCode = 0xF0;
inline bool IsInputFormat(std::uint8_t code) {
    return code < kFirstNonFormatCode;
}

struct OpResult {
    bool ok = true;
    std::string error;

    static OpResult Ok() { return {}; }
    static OpResult Fail(std::string text) { return {false, std::move(text)}; }
    explicit operator bool() const { return ok; }
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

// Connection check (`attempts` tries, with a data byte, as at page start-up), the four version
// reads with the firmware checks, the series code. Fails on no answer or on a firmware that is
// not the main one, with the page's reason in the text.
OpResult Identify(CDevLink& link, Identity& identity, int attempts = 1);

// Command 0x03. A reply shorter than the status block fails.
OpResult ReadStatus(CDevLink& link, requests::StatusBlock& status);

// The current values of settings, as read from the converter.
struct SettingsSnapshot {
    std::optional<requests::OutputSettings> output;  // as the page takes them (sanitized)
    std::uint8_t inputFormat = kInputFormatNone;     // of the adjustments read
    std::vector<std::uint16_t> adjustments;          // converter values, by index
    std::optional<std::uint8_t> cableDetect;         // nothing: this firmware lacks it

    // The shown value of `setting`; nothing when it was not read or the area is missing.
    std::optional<int> Value(const Setting& setting) const;
};

// Reads the areas that `settings` need: the output settings (0x07), the current input format's
// adjustment table (0x0F, then 0x07 0x01 per index) and the cable-detect setting (0x14).
// Adjustments need an input signal; without one, they stay unread (inputFormat 0xFF).
OpResult ReadSettings(CDevLink& link, const KindModel& kind,
                      std::span<const Setting* const> settings, SettingsSnapshot& snapshot);

// A checked new value.
struct Assignment {
    const Setting* setting = nullptr;
    int value = 0;
};

// Checks "name=value" against the kind's model; on refusal `error` names the allowed values.
std::optional<Assignment> ParseAssignment(const KindModel& kind, std::string_view text,
                                          std::string& error);

// How far a WriteSettings got: which assignments the converter accepted (by position), and a
// flag that, once set, stops it before the next assignment.
struct WriteProgress {
    std::vector<bool> sent;
    const std::atomic<bool>* stop = nullptr;
    bool stopped = false;  // the flag stopped it; the assignments not sent are the rest
};

// Sends the assignments as the page's controls do: one output settings command (0x07 read,
// then 0x08 with the changed bytes), per adjustment the input-format check (0x0F) and 0x08 0x01,
// the cable-detect setting (0x14, then 0x15). A setting the page disables while its Auto switch
// is on (RGB offsets, sync type) reads that switch first and is refused while it is on. Stops at
// the first failure, or when `progress->stop` is set.
OpResult WriteSettings(CDevLink& link, const KindModel& kind, std::span<const Assignment> values,
                       WriteProgress* progress = nullptr);

// The main window's save (0x09, then for adjustment kinds 0x0F and 0x09 0x01 0x00) and
// cancel (0x09 0x00 0x01, then 0x0F and 0x09 0x01 0x01). Adjustments are committed only while
// the converter reports an input format. Save first does the page's ID step with the ID group
// untouched (0x05, 0x11; 0x12 only for a record that does not decode).
OpResult Save(CDevLink& link, const Identity& identity);
// Fails without sending on the DVI converters' old firmware, which cannot revert.
OpResult Revert(CDevLink& link, const Identity& identity);

// "出荷時設定": on the DVI page the cable detection on (when the firmware has it), then the
// factory output settings. The ID settings are left alone.
OpResult FactorySettings(CDevLink& link, const Identity& identity);
// "調整値出荷時設定": the current input format's factory adjustment values, in the page's order.
OpResult FactoryAdjustments(CDevLink& link, const Identity& identity);

// The converter's ID record.
struct IdRecord {
    bool supported = false;  // the ID function is supported (firmware and FPGA)
    bool read = false;       // the record was read from the converter
    bool decoded = false;    // and held a valid record (else the defaults stand)
    IdFields fields;
};
// 0x05 and, when supported, 0x11: leaves the decoded block in link.m_abyIdBlock. Fails when
// whether the converter has the ID function cannot be told (the series query or the FPGA version
// went unanswered); a record that could not be read leaves `read` false.
OpResult ReadIdRecord(CDevLink& link, const Identity& identity, IdRecord& record);

// Changes of the ID group; fields left empty keep the converter's value.
struct IdChanges {
    std::optional<bool> enabled;
    std::optional<std::uint8_t> did;
    std::optional<std::string> sn;    // digits only, padded to 8
    std::optional<std::string> id;    // "A"-"Z", "0"-"9", "_"
    std::optional<std::string> name;  // UTF-8

    bool Any() const { return enabled || did || sn || id || name; }
};
// Checks typed values with the page's field rules before anything is sent: an SN of 1 to 8
// digits (padded), an ID of at most 16 of its characters (lower case allowed), a Name of valid
// UTF-8 within 80 bytes, a DID of 0x50-0x5F given as text. On refusal `error` says why.
std::optional<IdChanges> CheckIdChanges(const std::optional<std::string>& enable,
                                        const std::optional<std::string>& did,
                                        const std::optional<std::string>& sn,
                                        const std::optional<std::string>& id,
                                        const std::optional<std::string>& name, std::string& error);
// The record with the changes merged in, the model name set and ID and Name filled from a new SN
// when both were empty, as the page does.
IdFields MergeIdChanges(const IdFields& current, const IdChanges& changes, std::uint8_t series,
                        Kind kind);
// Read-merge-write after ReadIdRecord, as the page's save: 0x05 for the model name, then the
// store (0x11, and 0x12 only when the result differs from what the converter holds), which puts
// the changed fields and the model name over the converter's record and keeps the rest of it as
// stored (a record that does not decode is replaced whole). Without changes, nothing is stored
// unless the record did not decode. `written` tells whether 0x12 was sent. Refuses without
// sending when the ID function is unsupported, and changes when the record was not read.
OpResult WriteIdRecord(CDevLink& link, const Identity& identity, const IdRecord& record,
                       const IdChanges& changes, bool& written);

}  // namespace vexilo::model
