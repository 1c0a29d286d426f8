#include "model/settings_file.h"

#include <algorithm>
#include <limits>
#include <set>

namespace vexilo::model {

namespace {

using Json = SettingsJson;

Json ValueJson(const Setting& s, int shown) {
    if (const char* name = s.ChoiceName(shown)) {
        return name;
    }
    return shown;
}

const Assignment* FindAssignment(const std::vector<Assignment>& list, const Setting& s) {
    const auto it = std::find_if(list.begin(), list.end(),
                                 [&](const Assignment& a) { return a.setting == &s; });
    return it == list.end() ? nullptr : &*it;
}

Json ValuesJson(const std::vector<Assignment>& list) {
    Json j = Json::object();
    for (const Assignment& a : list) {
        j[a.setting->name] = ValueJson(*a.setting, a.value);
    }
    return j;
}

Json IdGroupJson(const IdFields& f) {
    return {{"enabled", f.enabled},
            {"did", DidText(f.did)},
            {"sn", f.sn},
            {"id", f.id},
            {"name", f.name}};
}

// Deeper or wider than any settings file: refusing it early keeps a hostile file from costing
// stack, or time in the ordered document's linear member lookup.
constexpr std::size_t kMaxDepth = 16;
constexpr std::size_t kMaxMembers = 64;

// Builds the document like nlohmann's own parser, but refuses a member given twice (the last
// one would silently win) and nesting no settings file has, and keeps where a syntax error is.
class StrictSax {
public:
    StrictSax(Json& root, std::string_view text) : m_dom(root, false), m_text(text) {}

    bool null() { return Value() && m_dom.null(); }
    bool boolean(bool v) { return Value() && m_dom.boolean(v); }
    bool number_integer(Json::number_integer_t v) { return Value() && m_dom.number_integer(v); }
    bool number_unsigned(Json::number_unsigned_t v) { return Value() && m_dom.number_unsigned(v); }
    bool number_float(Json::number_float_t v, const std::string& s) {
        return Value() && m_dom.number_float(v, s);
    }
    bool string(std::string& v) { return Value() && m_dom.string(v); }
    bool binary(Json::binary_t& v) { return Value() && m_dom.binary(v); }
    bool start_object(std::size_t n) { return Open(false) && m_dom.start_object(n); }
    bool start_array(std::size_t n) { return Open(true) && m_dom.start_array(n); }
    bool end_object() { return Close() && m_dom.end_object(); }
    bool end_array() { return Close() && m_dom.end_array(); }
    bool key(std::string& k) {
        Level& level = m_levels.back();
        if (level.keys.size() >= kMaxMembers) {
            m_error = Path() + "more members than a settings file ever has";
            return false;
        }
        if (!level.keys.insert(k).second) {
            m_error = Path() + "\"" + k + "\" is given twice";
            return false;
        }
        level.key = k;
        return m_dom.key(k);
    }
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& e) {
        m_syntax = true;
        m_error = LineAndColumn(position) + ": " + Reason(e.what());
        return false;
    }

    const std::string& Error() const { return m_error; }
    bool Syntax() const { return m_syntax; }

private:
    // `position` counts the bytes read up to and including the offending one.
    std::string LineAndColumn(std::size_t position) const {
        const std::string_view before = m_text.substr(0, position > 0 ? position - 1 : 0);
        const std::size_t lineStart = before.rfind('\n');
        const auto line = std::count(before.begin(), before.end(), '\n') + 1;
        const std::size_t column =
            before.size() - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
        return "line " + std::to_string(line) + ", column " + std::to_string(column);
    }
    // nlohmann's text without its own prefix ("[json.exception...] parse error at ...: ").
    static std::string Reason(std::string_view what) {
        const std::size_t column = what.find("column ");
        const std::size_t colon =
            column == std::string_view::npos ? column : what.find(": ", column);
        return std::string(colon == std::string_view::npos ? what : what.substr(colon + 2));
    }

    struct Level {
        bool array = false;
        std::size_t index = 0;
        std::string key;  // the member being read
        std::set<std::string> keys;
    };

    // Where the innermost object lies: "converters[0].output: ", "" at the top.
    std::string Path() const {
        std::string path;
        for (std::size_t i = 0; i + 1 < m_levels.size(); ++i) {
            const Level& l = m_levels[i];
            if (l.array) {
                path += "[" + std::to_string(l.index) + "]";
            } else {
                path += (path.empty() ? "" : ".") + l.key;
            }
        }
        return path.empty() ? path : path + ": ";
    }
    bool Value() {
        if (!m_levels.empty() && m_levels.back().array) {
            ++m_levels.back().index;
        }
        return true;
    }
    bool Open(bool array) {
        if (m_levels.size() >= kMaxDepth) {
            m_error = Path() + "nested deeper than a settings file ever is";
            return false;
        }
        m_levels.push_back({array, 0, {}, {}});
        return true;
    }
    bool Close() {
        m_levels.pop_back();
        return Value();
    }

    nlohmann::detail::json_sax_dom_parser<Json> m_dom;
    std::string_view m_text;
    std::vector<Level> m_levels;
    std::string m_error;
    bool m_syntax = false;
};

// An integer member as a number: nullopt for anything else, and for integers no setting could
// hold (an unsigned 2^63 and above would otherwise wrap to a negative value).
std::optional<long long> Integer(const Json& j) {
    if (j.is_number_unsigned()) {
        const auto u = j.get<Json::number_unsigned_t>();
        if (u > static_cast<Json::number_unsigned_t>(std::numeric_limits<long long>::max())) {
            return std::nullopt;
        }
        return static_cast<long long>(u);
    }
    if (j.is_number_integer()) {
        return j.get<long long>();
    }
    return std::nullopt;
}

// The integer's own digits, whatever its size, for messages.
std::string IntegerText(const Json& j) {
    return j.is_number_unsigned() ? std::to_string(j.get<Json::number_unsigned_t>()) : j.dump();
}

// Collects the problems of one entry with the place they were found.
class Checker {
public:
    explicit Checker(std::string where) : m_where(std::move(where)) {}
    bool Fail(const std::string& text) {
        m_error = m_where + ": " + text;
        return false;
    }
    const std::string& Error() const { return m_error; }

    // Object members outside `allowed` are refused: a misspelt name must not pass unnoticed.
    bool OnlyKeys(const Json& j, std::initializer_list<std::string_view> allowed,
                  const std::string& what) {
        for (const auto& [key, value] : j.items()) {
            if (std::find(allowed.begin(), allowed.end(), key) == allowed.end()) {
                return Fail(what + "\"" + key + "\" is not a known member");
            }
        }
        return true;
    }

    // Settings of `area` given as { "name": value }.
    bool Values(const Json& j, const KindModel& kind, Area area, std::vector<Assignment>& out) {
        if (!j.is_object()) {
            return Fail("expected an object of setting names and values");
        }
        for (const auto& [name, value] : j.items()) {
            const Setting* s = kind.Find(name);
            if (s == nullptr || s->area != area || !s->writable) {
                return Fail("\"" + name + "\" is not a setting of this group for " + kind.Name() +
                            " converters");
            }
            std::string text;
            if (value.is_string()) {
                text = value.get<std::string>();
            } else if (value.is_number_integer()) {
                text = IntegerText(value);  // out of every range when too large for a setting
            } else {
                return Fail(name + ": expected a number or a name");
            }
            std::string error;
            const auto shown = ParseValue(*s, text, error);
            if (!shown) {
                return Fail(error);
            }
            out.push_back({s, *shown});
        }
        return true;
    }

    bool IdGroup(const Json& j, IdFields& out) {
        if (!j.is_object() || !OnlyKeys(j, {"enabled", "did", "sn", "id", "name"}, "id_group: ")) {
            return m_error.empty() ? Fail("id_group: expected an object") : false;
        }
        auto text = [&](const char* key) -> std::optional<std::string> {
            if (!j.contains(key)) {
                return std::nullopt;
            }
            return j.at(key).is_string() ? std::optional<std::string>(j.at(key).get<std::string>())
                                         : std::nullopt;
        };
        for (const char* key : {"did", "sn", "id", "name"}) {
            if (!text(key)) {
                return Fail(std::string("id_group.") + key + ": expected a text");
            }
        }
        if (!j.contains("enabled") || !j.at("enabled").is_boolean()) {
            return Fail("id_group.enabled: expected true or false");
        }
        std::string error;
        const auto checked = CheckIdChanges(j.at("enabled").get<bool>() ? "on" : "off", text("did"),
                                            text("sn"), text("id"), text("name"), error);
        if (!checked) {
            return Fail("id_group: " + error);
        }
        out.enabled = *checked->enabled;
        out.did = *checked->did;
        out.sn = *checked->sn;
        out.id = *checked->id;
        out.name = *checked->name;
        return true;
    }

    bool Entry(const Json& j, ConverterSettings& entry) {
        if (!j.is_object()) {
            return Fail("expected an object");
        }
        if (!OnlyKeys(
                j, {"port", "kind", "model", "output", "cable_detect", "adjustments", "id_group"},
                "")) {
            return false;
        }
        if (!j.contains("kind") || !j.at("kind").is_string() ||
            (entry.kind = KindByName(j.at("kind").get<std::string>())) == nullptr) {
            return Fail("\"kind\" must be one of " + KindNames(", ", ", "));
        }
        for (const char* key : {"port", "model"}) {
            if (j.contains(key)) {
                if (!j.at(key).is_string()) {
                    return Fail(std::string("\"") + key + "\" must be a text");
                }
                (key[0] == 'p' ? entry.port : entry.model) = j.at(key).get<std::string>();
            }
        }
        const KindModel& kind = *entry.kind;
        if (j.contains("output") && !Values(j.at("output"), kind, Area::kOutput, entry.general)) {
            return false;
        }
        if (j.contains("cable_detect")) {
            if (!kind.cableDetect) {
                return Fail(std::string(kind.Name()) + " converters have no cable detect");
            }
            const Json one = {{"cable_detect", j.at("cable_detect")}};
            if (!Values(one, kind, Area::kCableDetect, entry.general)) {
                return false;
            }
        }
        if (j.contains("adjustments")) {
            const Json& a = j.at("adjustments");
            if (!kind.HasAdjustments()) {
                return Fail(std::string(kind.Name()) + " converters have no adjustments");
            }
            if (!a.is_object() || !OnlyKeys(a, {"input_format", "values"}, "adjustments: ")) {
                return m_error.empty() ? Fail("adjustments: expected an object") : false;
            }
            const auto format =
                a.contains("input_format") ? Integer(a.at("input_format")) : std::nullopt;
            if (!format || *format < 0 || *format >= kFirstNonFormatCode) {
                return Fail("adjustments.input_format: expected an input format code 0..239");
            }
            entry.inputFormat = static_cast<std::uint8_t>(*format);
            if (!a.contains("values") ||
                !Values(a.at("values"), kind, Area::kAdjustment, entry.adjustments)) {
                return m_error.empty() ? Fail("adjustments.values: missing") : false;
            }
        }
        if (j.contains("id_group")) {
            IdFields fields;
            if (!IdGroup(j.at("id_group"), fields)) {
                return false;
            }
            entry.idGroup = fields;
        }
        return true;
    }

private:
    std::string m_where;
    std::string m_error;
};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// A setting behind an Auto switch that the converter holds on.
bool AutomaticNow(const Setting& s, const SettingsSnapshot& snapshot) {
    const auto index = static_cast<std::size_t>(s.autoSwitch);
    return s.autoSwitch >= 0 && index < snapshot.adjustments.size() &&
           snapshot.adjustments[index] != 0;
}

}  // namespace

SettingsJson ToJson(const SettingsFile& file) {
    Json list = Json::array();
    for (const ConverterSettings& c : file.converters) {
        Json e;
        if (!c.port.empty()) {
            e["port"] = c.port;
        }
        e["kind"] = c.kind->Name();
        if (!c.model.empty()) {
            e["model"] = c.model;
        }
        std::vector<Assignment> output;
        const Assignment* cable = nullptr;
        for (const Assignment& a : c.general) {
            if (a.setting->area == Area::kOutput) {
                output.push_back(a);
            } else {
                cable = &a;
            }
        }
        e["output"] = ValuesJson(output);
        if (cable != nullptr) {
            e["cable_detect"] = ValueJson(*cable->setting, cable->value);
        }
        if (c.inputFormat) {
            e["adjustments"] = {{"input_format", *c.inputFormat},
                                {"values", ValuesJson(c.adjustments)}};
        }
        if (c.idGroup) {
            e["id_group"] = IdGroupJson(*c.idGroup);
        }
        list.push_back(std::move(e));
    }
    return {{"format", kSettingsFileFormat},
            {"version", kSettingsFileVersion},
            {"converters", std::move(list)}};
}

std::optional<SettingsFile> ParseSettingsFile(std::string_view text, std::string& error) {
    if (text.size() > kMaxSettingsFileBytes) {
        error = "larger than " + std::to_string(kMaxSettingsFileBytes / 1024) +
                " KiB: not a settings file";
        return std::nullopt;
    }
    Json doc;
    StrictSax sax(doc, text);
    if (!Json::sax_parse(text, &sax)) {
        error = sax.Syntax() ? "not a JSON document: " + sax.Error() : sax.Error();
        return std::nullopt;
    }
    const auto format = doc.is_object() && doc.contains("format") && doc.at("format").is_string()
                            ? doc.at("format").get<std::string>()
                            : std::string();
    if (format != kSettingsFileFormat) {
        error =
            std::string("not a settings file (\"format\" is not \"") + kSettingsFileFormat + "\")";
        return std::nullopt;
    }
    const auto version = doc.contains("version") ? Integer(doc.at("version")) : std::nullopt;
    if (!version) {
        error = doc.contains("version") ? "\"version\" " + IntegerText(doc.at("version")) +
                                              " is not known (this vexiloctl reads " +
                                              std::to_string(kSettingsFileVersion) + ")"
                                        : "\"version\" is missing";
        return std::nullopt;
    }
    if (*version != kSettingsFileVersion) {
        error = "version " + std::to_string(*version) + " is not known (this vexiloctl reads " +
                std::to_string(kSettingsFileVersion) + ")";
        return std::nullopt;
    }
    for (const auto& [key, value] : doc.items()) {
        if (key != "format" && key != "version" && key != "converters") {
            error = Quoted(key) + " is not a known member";
            return std::nullopt;
        }
    }
    if (!doc.contains("converters") || !doc.at("converters").is_array() ||
        doc.at("converters").empty()) {
        error = "\"converters\" must list at least one converter";
        return std::nullopt;
    }
    SettingsFile file;
    std::set<std::string> portKeys;  // of the entries keyed by port
    std::set<std::string> idKeys;    // of the entries keyed by ID
    const Json& list = doc.at("converters");
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Json& j = list[i];
        std::string where = "converters[" + std::to_string(i) + "]";
        if (j.is_object() && j.contains("port") && j.at("port").is_string()) {
            where += " (" + j.at("port").get<std::string>() + ")";
        }
        Checker check(where);
        ConverterSettings entry;
        if (!check.Entry(j, entry)) {
            error = check.Error();
            return std::nullopt;
        }
        // Several entries need a key each, and no key twice.
        if (list.size() > 1) {
            const std::string id = entry.idGroup ? entry.idGroup->id : std::string();
            if (entry.port.empty() && id.empty()) {
                error =
                    where + ": a file of several converters needs a \"port\" or an ID per entry";
                return std::nullopt;
            }
            // Keys seen in sets: a file of thousands of entries must not take quadratic time.
            if (!(entry.port.empty() ? idKeys : portKeys)
                     .insert(entry.port.empty() ? id : entry.port)
                     .second) {
                error = where + ": a second entry for the same converter";
                return std::nullopt;
            }
        }
        file.converters.push_back(std::move(entry));
    }
    return file;
}

ConverterSettings CaptureSettings(const std::string& port, const Identity& identity,
                                  const SettingsSnapshot& snapshot, const IdGroup& idRecord) {
    ConverterSettings c;
    c.port = port;
    c.kind = &identity.Kind();
    c.model = identity.model;
    const bool haveAdjustments = c.kind->HasAdjustments() && IsInputFormat(snapshot.inputFormat);
    if (haveAdjustments) {
        c.inputFormat = snapshot.inputFormat;
    }
    for (const Setting& s : c.kind->settings) {
        const auto value = snapshot.Value(s);
        if (!s.writable || !value || AutomaticNow(s, snapshot)) {
            continue;
        }
        (s.PerFormat() ? c.adjustments : c.general).push_back({&s, *value});
    }
    if (idRecord.supported && idRecord.read) {
        c.idGroup = idRecord.fields;
        if (c.idGroup->did < kIdDidMin || c.idGroup->did > kIdDidMax) {
            c.idGroup->did = kIdDidDefault;  // as the page shows and would store it
        }
    }
    return c;
}

const ConverterSettings* FindEntry(const SettingsFile& file, const std::string& port,
                                   const std::string& converterId) {
    if (file.converters.size() == 1) {
        return &file.converters.front();
    }
    for (const ConverterSettings& c : file.converters) {
        if (!c.port.empty() && c.port == port) {
            return &c;
        }
    }
    for (const ConverterSettings& c : file.converters) {
        if (c.port.empty() && !converterId.empty() && c.idGroup && c.idGroup->id == converterId) {
            return &c;
        }
    }
    return nullptr;
}

std::string IdentityText(const IdentityKey& key) {
    if (!key.Any()) {
        return "no SN or ID";
    }
    return "SN " + (key.sn.empty() ? std::string("(none)") : key.sn) + ", ID " +
           (key.id.empty() ? std::string("(none)") : key.id);
}

IdentityKey EntryIdentity(const ConverterSettings& entry) {
    return entry.idGroup ? IdentityKey{entry.idGroup->sn, entry.idGroup->id} : IdentityKey{};
}

std::string EntryText(const SettingsFile& file, std::size_t index) {
    const ConverterSettings& e = file.converters[index];
    return "converters[" + std::to_string(index) + "] (" + (e.port.empty() ? "" : e.port + ", ") +
           IdentityText(EntryIdentity(e)) + ")";
}

Matching MatchEntries(const SettingsFile& file, std::span<const ConverterKey> converters,
                      bool byPort) {
    Matching m;
    m.converters.resize(converters.size());
    const std::vector<ConverterSettings>& entries = file.converters;
    const bool single = entries.size() == 1;
    const auto indexOf = [&](const ConverterSettings* e) {
        return static_cast<int>(e - entries.data());
    };
    for (std::size_t i = 0; i < converters.size(); ++i) {
        EntryMatch& match = m.converters[i];
        const ConverterKey& key = converters[i];
        if (byPort) {
            const ConverterSettings* e = FindEntry(file, key.port, key.identity.id);
            if (e == nullptr) {
                match.error = "no entry of the file is for this converter's port; nothing was sent";
            } else {
                match.entry = indexOf(e);
                match.how = single ? "only entry" : e->port == key.port ? "port" : "identity";
            }
            continue;
        }
        std::vector<std::size_t> held;
        for (std::size_t j = 0; j < entries.size(); ++j) {
            const IdentityKey want = EntryIdentity(entries[j]);
            if (want.Any() && want == key.identity) {
                held.push_back(j);
            }
        }
        if (held.size() > 1) {
            match.error = "it holds the identity of " + EntryText(file, held[0]) + " and of " +
                          EntryText(file, held[1]) + "; nothing was sent";
            continue;
        }
        if (held.size() == 1) {
            match.entry = static_cast<int>(held[0]);
            match.how = "identity";
            continue;
        }
        const ConverterSettings* e = single ? &entries.front() : nullptr;
        for (const ConverterSettings& c : entries) {
            if (!single && !c.port.empty() && c.port == key.port) {
                e = &c;
            }
        }
        if (e == nullptr) {
            match.error =
                "no entry of the file is for this converter (by SN and ID, or by port); nothing "
                "was sent";
            continue;
        }
        const IdentityKey want = EntryIdentity(*e);
        if (want.Any()) {
            std::string where;
            for (const ConverterKey& other : converters) {
                if (other.identity == want && other.port != key.port) {
                    where = " (held by the converter on " + other.port + ")";
                }
            }
            match.error =
                "this converter holds " + IdentityText(key.identity) + ", but " +
                (single ? std::string("the file's entry") : "the file's entry for " + key.port) +
                " is for " + IdentityText(want) + where +
                "; nothing was sent (--by-port applies entries by port whatever the "
                "converter holds)";
            continue;
        }
        match.entry = indexOf(e);
        match.how = single ? "only entry" : "port";
    }
    // A one-entry file without an identity (or taken by port) is for every converter selected.
    const bool shared = single && (byPort || !EntryIdentity(entries.front()).Any());
    for (std::size_t j = 0; j < entries.size() && !shared; ++j) {
        std::vector<std::size_t> on;
        for (std::size_t i = 0; i < converters.size(); ++i) {
            if (m.converters[i].entry == static_cast<int>(j)) {
                on.push_back(i);
            }
        }
        if (on.size() < 2) {
            continue;
        }
        std::string ports;
        for (std::size_t i : on) {
            ports += (ports.empty() ? "" : ", ") + converters[i].port;
        }
        for (std::size_t i : on) {
            m.converters[i] = {-1,
                               {},
                               "the converters on " + ports + " all match " + EntryText(file, j) +
                                   "; nothing was sent"};
        }
    }
    for (std::size_t j = 0; j < entries.size(); ++j) {
        if (std::none_of(m.converters.begin(), m.converters.end(),
                         [&](const EntryMatch& c) { return c.entry == static_cast<int>(j); })) {
            m.unused.push_back(j);
        }
    }
    return m;
}

ApplyPlan PlanApply(const ConverterSettings& wanted, const SettingsSnapshot& current,
                    const IdGroup& idRecord, bool withIdentity) {
    ApplyPlan plan;
    const bool formatMatches = wanted.inputFormat && current.inputFormat == *wanted.inputFormat;
    if (wanted.inputFormat && !formatMatches && !wanted.adjustments.empty()) {
        plan.skipped.push_back(
            {"adjustments",
             IsInputFormat(current.inputFormat)
                 ? "they belong to input format " + std::to_string(*wanted.inputFormat) +
                       "; the converter's input format is " + std::to_string(current.inputFormat)
                 : "they belong to input format " + std::to_string(*wanted.inputFormat) +
                       "; the converter has no input signal"});
    }
    // A setting behind an Auto switch is the converter's own while that switch is on: on as the
    // file wants it, or as the converter holds it when the file does not say.
    const auto automatic = [&](const Setting& s) {
        if (s.autoSwitch < 0) {
            return false;
        }
        const auto index = static_cast<std::uint8_t>(s.autoSwitch);
        if (const Setting* sw = AdjustmentSetting(*wanted.kind, index)) {
            if (const Assignment* a = FindAssignment(wanted.adjustments, *sw)) {
                return a->value != 0;
            }
        }
        return index < current.adjustments.size() && current.adjustments[index] != 0;
    };
    for (const Setting& s : wanted.kind->settings) {
        const Assignment* a =
            FindAssignment(s.PerFormat() ? wanted.adjustments : wanted.general, s);
        if (a == nullptr || (s.PerFormat() && !formatMatches)) {
            continue;
        }
        if (s.PerFormat() && automatic(s)) {
            const Setting* sw =
                AdjustmentSetting(*wanted.kind, static_cast<std::uint8_t>(s.autoSwitch));
            plan.skipped.push_back({s.name, std::string("the converter sets it while ") +
                                                (sw != nullptr ? sw->name : "its Auto switch") +
                                                " is on"});
            continue;
        }
        const auto now = current.Value(s);
        if (!now) {
            if (s.area == Area::kCableDetect) {
                plan.skipped.push_back({"cable_detect", "this firmware has no cable detect"});
            }
            continue;
        }
        if (*now != a->value) {
            plan.writes.push_back(*a);
            plan.changes.push_back({s.name, &s, ValueJson(s, *now), ValueJson(s, a->value)});
        }
    }
    // Auto switches go first: the settings behind one can be written only once it is off.
    std::stable_partition(plan.writes.begin(), plan.writes.end(), [&](const Assignment& a) {
        return std::any_of(wanted.kind->settings.begin(), wanted.kind->settings.end(),
                           [&](const Setting& s) {
                               return a.setting->PerFormat() && s.autoSwitch == a.setting->index;
                           });
    });
    if (!wanted.idGroup) {
        return plan;
    }
    if (!idRecord.supported) {
        plan.skipped.push_back({"id_group", "this converter has no ID function"});
        return plan;
    }
    if (!idRecord.read) {
        plan.skipped.push_back({"id_group", "the ID record could not be read"});
        return plan;
    }
    const IdFields& want = *wanted.idGroup;
    IdFields have = idRecord.fields;
    if (have.did < kIdDidMin || have.did > kIdDidMax) {
        have.did = kIdDidDefault;
    }
    if (have.enabled != want.enabled) {
        plan.id.enabled = want.enabled;
        plan.changes.push_back({"id.enabled", nullptr, have.enabled, want.enabled});
    }
    if (have.did != want.did) {
        plan.id.did = want.did;
        plan.changes.push_back({"id.did", nullptr, DidText(have.did), DidText(want.did)});
    }
    if (withIdentity && (have.sn != want.sn || have.id != want.id || have.name != want.name)) {
        // All three together: a new SN alone would fill ID and Name in of itself.
        plan.id.sn = want.sn;
        plan.id.id = want.id;
        plan.id.name = want.name;
        const std::pair<const char*, std::pair<const std::string*, const std::string*>> fields[] = {
            {"id.sn", {&have.sn, &want.sn}},
            {"id.id", {&have.id, &want.id}},
            {"id.name", {&have.name, &want.name}}};
        for (const auto& [name, values] : fields) {
            if (*values.first != *values.second) {
                plan.changes.push_back({name, nullptr, *values.first, *values.second});
            }
        }
    }
    return plan;
}

}  // namespace vexilo::model
