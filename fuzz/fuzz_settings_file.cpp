// Feeds arbitrary text to the settings-file parser, and what it accepts to the apply planner
// against converter states made of the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/settings_file.h"

namespace {

using namespace vexilo::model;

// The byte at `i`, repeating the input: any input describes a converter.
struct Bytes {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t next = 0;
    std::uint8_t Take() { return size == 0 ? 0 : data[next++ % size]; }
};

// The converter's state once `writes` and `id` are sent.
void Apply(const ApplyPlan& plan, SettingsSnapshot& state, IdGroup& record) {
    for (const Assignment& a : plan.writes) {
        const std::uint16_t wire = a.setting->ToWire(a.value);
        switch (a.setting->area) {
            case Area::kOutput: {
                std::uint8_t* bytes[] = {&state.output->format, &state.output->level,
                                         &state.output->scaler};
                *bytes[a.setting->index] = static_cast<std::uint8_t>(wire);
                break;
            }
            case Area::kAdjustment:
                state.adjustments.at(a.setting->index) = wire;
                break;
            case Area::kCableDetect:
                state.cableDetect = static_cast<std::uint8_t>(a.value);
                break;
        }
    }
    IdFields& f = record.fields;
    f.enabled = plan.id.enabled.value_or(f.enabled);
    f.did = plan.id.did.value_or(f.did);
    f.sn = plan.id.sn.value_or(f.sn);
    f.id = plan.id.id.value_or(f.id);
    f.name = plan.id.name.value_or(f.name);
}

// The kind of byte `b`, any kind the registry has.
const KindModel& KindOfByte(std::uint8_t b) {
    return AllKinds()[b % AllKinds().size()];
}

// An entry made of the model's own names and values near their ranges, so that the planner gets
// files of every shape and not only what the parser lets through by chance.
std::string Structured(Bytes& b) {
    const KindModel& kind = KindOfByte(b.Take());
    SettingsJson entry = {{"kind", kind.Name()}};
    for (int n = b.Take() % 24; n > 0; --n) {
        const Setting& s = kind.settings[b.Take() % kind.settings.size()];
        SettingsJson value = s.lower + (b.Take() | b.Take() << 8) % (s.upper - s.lower + 3) - 1;
        if (!s.choices.empty() && (b.Take() & 1) != 0) {
            value = s.choices[b.Take() % s.choices.size()].name;
        }
        switch (s.area) {
            case Area::kOutput:
                entry["output"][s.name] = value;
                break;
            case Area::kCableDetect:
                entry["cable_detect"] = value;
                break;
            case Area::kAdjustment:
                entry["adjustments"]["input_format"] = b.Take() % 242;
                entry["adjustments"]["values"][s.name] = value;
                break;
        }
    }
    if ((b.Take() & 1) != 0) {
        std::string text;
        for (int n = b.Take() % 20; n > 0; --n) {
            text += static_cast<char>(b.Take() % 2 != 0 ? '0' + b.Take() % 10 : b.Take());
        }
        entry["id_group"] = {{"enabled", (b.Take() & 1) != 0},
                             {"did", "0x5" + std::string(1, "0123456789ABCDEFG"[b.Take() % 17])},
                             {"sn", text.substr(0, b.Take() % 10)},
                             {"id", (b.Take() & 1) != 0 ? "CAM_1" : ""},
                             {"name", text}};
    }
    return SettingsJson{
        {"format", kSettingsFileFormat}, {"version", kSettingsFileVersion}, {"converters", {entry}}}
        .dump(-1, ' ', false, SettingsJson::error_handler_t::replace);
}

// The first byte chooses the text: the rest as it is, as the members of one converter entry of a
// kind (the parser's checks of entries without first finding the header), or made from the model.
std::string Text(const std::uint8_t* data, std::size_t size, Bytes& b) {
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 3) {
        case 0:
            return rest;
        case 1:
            return std::string(
                       R"({"format":"vexilo-settings","version":1,"converters":[{"kind":")") +
                   KindOfByte(static_cast<std::uint8_t>(data[0] / 3)).Name() + "\"," + rest + "}]}";
        default:
            return Structured(b);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    Bytes bytes{data + 1, size - 1};
    const std::string text = Text(data, size, bytes);
    std::string error;
    const auto file = ParseSettingsFile(text, error);
    if (!file) {
        if (error.empty()) {
            std::abort();  // a refusal always says why
        }
        return 0;
    }
    // What was accepted writes out as a file that reads back the same.
    const auto again = ParseSettingsFile(ToJson(*file).dump(), error);
    if (!again || ToJson(*again) != ToJson(*file)) {
        std::abort();
    }
    for (const ConverterSettings& entry : file->converters) {
        SettingsSnapshot state;
        state.output = vexilo::requests::OutputSettings{bytes.Take(), bytes.Take(), bytes.Take()};
        state.inputFormat =
            (bytes.Take() & 1) != 0 && entry.inputFormat ? *entry.inputFormat : bytes.Take();
        for (const Setting& s : entry.kind->settings) {
            if (s.PerFormat() && s.index >= state.adjustments.size()) {
                state.adjustments.resize(s.index + 1u);
            }
        }
        for (std::uint16_t& value : state.adjustments) {
            value = static_cast<std::uint16_t>(bytes.Take() | bytes.Take() << 8);
        }
        if ((bytes.Take() & 1) != 0) {
            state.cableDetect = bytes.Take() & 1;
        }
        IdGroup record;
        record.supported = (bytes.Take() & 1) != 0;
        record.read = record.decoded = (bytes.Take() & 1) != 0;
        record.fields.enabled = (bytes.Take() & 1) != 0;
        record.fields.did = bytes.Take();
        const bool withIdentity = (bytes.Take() & 1) != 0;

        const ApplyPlan plan = PlanApply(entry, state, record, withIdentity);
        for (const Assignment& a : plan.writes) {
            if (a.setting == nullptr || !a.setting->writable || a.value < a.setting->lower ||
                a.value > a.setting->upper) {
                std::abort();  // only settings the file may set, within their range
            }
        }
        // Once the plan is sent, the same file finds nothing left to send.
        Apply(plan, state, record);
        if (PlanApply(entry, state, record, withIdentity).Any()) {
            std::abort();
        }
    }
    return 0;
}
