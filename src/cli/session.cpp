#include "cli/session.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>
#include <thread>

#include "cli/terminal_text.h"
#include "discovery/attach.h"
#include "discovery/devices.h"
#include "protocol/frame_trace.h"

namespace vexilo::cli {

namespace {

// Opens the converter's port the way the panel opens it (exclusively); null when it does not
// open, with the reason kept in `c.openFailure`.
std::unique_ptr<model::Converter> OpenConverter(Converter& c) {
    std::unique_ptr<CDevLink> link = OpenDeviceLink(c.port, &c.openFailure);
    if (!link) {
        return nullptr;
    }
    return std::make_unique<model::Converter>(std::move(link), c.label);
}

// A --port value names a converter by its label ("ttyACM0", "pts/3", "COM3") or its path.
bool PortMatches(const std::string& wanted, const Port& port) {
    return wanted == port.label || (!port.path.empty() && wanted == port.path);
}

std::string Hex3(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%03X", value);
    return text;
}

}  // namespace

const char* OpenFailureText(PortOpenFailure failure) {
    switch (failure) {
        case PortOpenFailure::Busy:
            return "the port is in use by another program (a running panel?)";
        case PortOpenFailure::Permission:
            return "no permission to open the port (install the udev rule 60-vexilo.rules, or "
                   "add the user to the dialout group and log in again)";
        case PortOpenFailure::Gone:
            return "the port is not there (the converter was unplugged)";
        default:
            return "the port cannot be opened";
    }
}

int Session::Usage(const std::string& message) {
    m_err << "vexiloctl: " << message << '\n';
    return kExitUsage;
}

int Session::Select(bool changes) {
    m_converters.clear();
    const model::KindModel* kind = nullptr;
    if (!options.kind.empty()) {
        kind = model::KindByName(options.kind);
        if (kind == nullptr) {
            return Usage("--kind: '" + options.kind + "' is not a kind (" + KindNames(", ", ", ") +
                         ")");
        }
    }
    const std::vector<Port> listed = EnumerateDevices();
    const int count = static_cast<int>(listed.size());
    if (count == 0) {
        m_err << "vexiloctl: no converter found\n";
        return kExitNotFound;
    }
    for (const std::string& wanted : options.ports) {
        const bool known = std::any_of(listed.begin(), listed.end(),
                                       [&](const Port& p) { return PortMatches(wanted, p); });
        if (!known) {
            m_err << "vexiloctl: " << wanted << ": no converter on this port\n";
            return kExitNotFound;
        }
    }
    for (const Port& port : listed) {
        Converter c;
        c.port = port;
        c.label = port.label;
        c.kind = port.kind;
        const bool portWanted =
            options.ports.empty() ||
            std::any_of(options.ports.begin(), options.ports.end(),
                        [&](const std::string& wanted) { return PortMatches(wanted, port); });
        if (portWanted && (kind == nullptr || kind->kind == c.kind)) {
            m_converters.push_back(std::move(c));
        }
    }
    if (m_converters.empty()) {
        m_err << "vexiloctl: no converter matches the selection\n";
        return kExitNotFound;
    }
    const bool byIdentity = !options.sns.empty() || !options.ids.empty();
    if (changes && count > 1 && !options.all && options.ports.empty() && options.kind.empty() &&
        !byIdentity) {
        return Usage(std::to_string(count) +
                     " converters are attached; choose with --port LABEL, --kind KIND, --sn, --id "
                     "or --all");
    }
    return byIdentity ? SelectByIdentity() : kExitOk;
}

int Session::SelectByIdentity() {
    std::set<std::string> sns;
    std::set<std::string> ids;
    for (const std::string& sn : options.sns) {
        std::string error;
        const auto checked = model::CheckIdChanges({}, {}, sn, {}, {}, error);
        if (!checked || checked->sn->empty()) {
            return Usage(checked ? "--sn: an empty SN chooses no converter" : error);
        }
        sns.insert(*checked->sn);
    }
    for (const std::string& id : options.ids) {
        std::string error;
        const auto checked = model::CheckIdChanges({}, {}, {}, id, {}, error);
        if (!checked || checked->id->empty()) {
            return Usage(checked ? "--id: an empty ID chooses no converter" : error);
        }
        ids.insert(*checked->id);
    }
    Open();
    std::vector<char> keep(m_converters.size(), 1);
    ForEach([&](std::size_t i) {
        Converter& c = m_converters[i];
        if (!c.device) {
            return;  // Run reports why; it may be the one chosen
        }
        if (!c.device->IsIdentified()) {
            if (model::Outcome id = c.device->Identify(); !id) {
                c.failure = id.error;
                return;
            }
        }
        model::IdGroup record;
        if (model::Outcome res = ReadId(*c.device, record); !res) {
            c.failure = res.error + ", nor whether --sn or --id choose it";
            return;
        }
        if (record.supported && !record.read) {
            c.failure =
                "the ID record could not be read, so whether --sn or --id choose this converter "
                "is not known";
            return;
        }
        keep[i] = record.supported &&
                  (sns.count(record.fields.sn) != 0 || ids.count(record.fields.id) != 0);
    });
    std::vector<Converter> kept;
    for (std::size_t i = 0; i < m_converters.size(); ++i) {
        if (keep[i]) {
            kept.push_back(std::move(m_converters[i]));
        }
    }
    m_converters = std::move(kept);  // the others' ports close here
    if (m_converters.empty()) {
        m_err << "vexiloctl: no converter holds the SN or ID chosen\n";
        return kExitNotFound;
    }
    return kExitOk;
}

void Session::Open() {
    // Opening takes no time worth sharing out: the ports open here, one after the other.
    if (options.trace && !FrameTraceOn()) {
        StartFrameTrace("-");
    }
    for (Converter& c : m_converters) {
        if (!c.device) {
            c.device = OpenConverter(c);
        }
    }
}

void Session::Reopen() {
    for (std::size_t i = 0; i < m_converters.size() && i < m_reports.size(); ++i) {
        Converter& c = m_converters[i];
        if (!m_reports[i].Ok()) {
            c.device.reset();  // its port closes before it opens again
            c.device = OpenConverter(c);
        }
    }
}

void Session::ForEach(const std::function<void(std::size_t)>& work) {
    if (m_converters.size() == 1) {
        work(0);
        return;
    }
    std::vector<std::thread> threads;
    threads.reserve(m_converters.size());
    for (std::size_t i = 0; i < m_converters.size(); ++i) {
        threads.emplace_back(work, i);
    }
    for (std::thread& t : threads) {
        t.join();
    }
}

void Session::Run(const Step& step, bool more) {
    if (!more || m_reports.size() != m_converters.size()) {
        m_reports.assign(m_converters.size(), Report{});
    }
    ForEach([&](std::size_t i) {
        Converter& c = m_converters[i];
        Report& r = m_reports[i];
        if (!r.Ok()) {
            return;  // a later phase: this converter already failed
        }
        if (!c.failure.empty()) {
            r.Fail(c.failure);
            return;
        }
        if (!c.device) {
            r.busy = c.openFailure == PortOpenFailure::Busy;
            r.Fail(OpenFailureText(c.openFailure));
            return;
        }
        if (!c.device->IsIdentified()) {
            if (model::Outcome id = c.device->Identify(); !id) {
                r.Fail(id.error);
                return;
            }
        }
        step(c, r);
    });
}

int Session::Print(const std::string& command, const TextRenderer& text, bool compact) {
    bool failed = false;
    bool onlyBusy = true;
    std::vector<const Converter*> ok;
    std::vector<const Report*> okReports;
    Json list = Json::array();
    for (std::size_t i = 0; i < m_converters.size(); ++i) {
        const Converter& c = m_converters[i];
        const Report& r = m_reports[i];
        if (!r.Ok()) {
            failed = true;
            onlyBusy = onlyBusy && r.busy;
            m_err << "vexiloctl: " << c.label << ": " << r.error << '\n';
        }
        if (r.Ok() || r.partial) {
            ok.push_back(&c);
            okReports.push_back(&r);
        }
        Json entry;
        entry["port"] = c.label;
        entry["kind"] = c.Kind().Name();
        entry["ok"] = r.Ok();
        if (!r.Ok()) {
            entry["error"] = r.error;
        }
        if (c.device && c.device->IsIdentified()) {
            entry["model"] = c.device->Identified().model;
        }
        for (const auto& [key, value] : r.fields.items()) {
            entry[key] = value;
        }
        list.push_back(std::move(entry));
    }
    if (options.json) {
        Json doc;
        doc["command"] = command;
        doc["converters"] = std::move(list);
        for (const auto& [key, value] : documentFields.items()) {
            doc[key] = value;
        }
        m_out << (compact ? doc.dump() : doc.dump(2)) << '\n';
    } else if (text) {
        text(m_out, ok, okReports);
    }
    m_out.flush();
    if (!failed) {
        return kExitOk;
    }
    return onlyBusy ? kExitBusy : kExitFailed;
}

int RunOnConverters(Session& session, const std::string& command, bool changes,
                    const Session::Step& step, const Session::TextRenderer& text) {
    if (const int code = session.Select(changes); code != kExitOk) {
        return code;
    }
    session.Open();
    session.Run(step);
    return session.Print(command, text);
}

void Table::Print(std::ostream& out) const {
    std::vector<std::size_t> widths;
    std::vector<std::vector<std::string>> rows;
    for (const auto& row : m_rows) {
        // A line feed in a converter's Name must not start a row of its own.
        rows.emplace_back();
        for (const std::string& cell : row) {
            rows.back().push_back(OneLine(cell));
        }
    }
    for (const auto& row : rows) {
        widths.resize(std::max(widths.size(), row.size()));
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) {
                line += std::string(widths[i] - row[i].size() + 2, ' ');
            }
        }
        out << line << '\n';
    }
}

model::Outcome ReadId(model::Converter& device, model::IdGroup& group) {
    model::Outcome result = device.LoadId();
    group = device.Id();
    return result;
}

Json IdentityJson(const model::Identity& identity) {
    Json j;
    const std::string series = model::SeriesPrefix(identity.series);
    j["series"] = series.empty() ? Json(nullptr) : Json(series);
    j["firmware"] = {{"running", identity.runningVersion}, {"second", identity.secondVersion}};
    j["fpga_version"] =
        model::FpgaKnown(identity.fpgaVersion) ? Json(Hex3(identity.fpgaVersion)) : Json(nullptr);
    j["board_revision"] = identity.boardRevision;
    return j;
}

}  // namespace vexilo::cli
