#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "discovery/port.h"
#include "model/converter.h"
#include "model/converter_model.h"
#include "protocol/dev_link.h"
#include "serial/pelk_comm.h"

// The frame of every vexiloctl command: the converters selected, opened and identified, a step
// run on each (one thread per converter), the results printed in port order as a table or as one
// JSON document, and the exit code.
namespace vexilo::cli {

using Json = nlohmann::ordered_json;

enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,    // a converter failed
    kExitUsage = 2,     // the command line is wrong, or a value was refused; nothing was sent
    kExitNotFound = 3,  // no converter, or none that matches the selection
    kExitBusy = 4,      // a converter's port is held by another program
    kExitChanged = 5,   // apply: settings differed (--check) or were changed
    kExitSkipped = 6,   // apply: parts of the file were not compared (listed); the rest was applied
    kExitSignal = 128,  // plus the signal's number: interrupted (130 SIGINT, 143 SIGTERM)
};

// Why a port did not open, for the converter's error line.
const char* OpenFailureText(PortOpenFailure failure);

// Options before (or after) the subcommand.
struct GlobalOptions {
    std::vector<std::string> ports;  // --port LABEL, repeatable
    std::vector<std::string> sns;    // --sn DIGITS, repeatable: the converter holding this SN
    std::vector<std::string> ids;    // --id TEXT, repeatable: the converter holding this ID
    std::string kind;                // --kind rgb|dvi|ntsc|other
    bool all = false;                // --all
    bool json = false;               // --json
    bool trace = false;              // --trace: every frame on stderr
};

// One selected converter.
struct Converter {
    Port port;
    std::string label;  // the port label, as in the panel's tab titles ("ttyACM0")
    vexilo::Kind kind = vexilo::Kind::Other;
    std::unique_ptr<model::Converter> device;  // null when the port did not open
    PortOpenFailure openFailure = PortOpenFailure::None;
    std::string failure;  // refused before any step (set while selecting); empty: none

    const model::KindModel& Kind() const { return model::KindOf(kind); }
};

// What one converter's step produced.
struct Report {
    Json fields = Json::object();  // the command's fields of this converter
    std::string error;             // empty: it went well
    bool busy = false;             // the port was held by another program
    bool partial = false;          // failed part-way: its fields are printed with the error

    bool Ok() const { return error.empty(); }
    void Fail(std::string text) { error = std::move(text); }
    // Failed, with what was done before the failure still worth printing.
    void FailPartway(std::string text) {
        error = std::move(text);
        partial = true;
    }
};

class Session {
public:
    using Step = std::function<void(Converter&, Report&)>;
    // Prints the readable form of the converters whose step went well (`ok` in port order).
    using TextRenderer = std::function<void(std::ostream&, const std::vector<const Converter*>& ok,
                                            const std::vector<const Report*>& reports)>;

    Session(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    GlobalOptions options;

    std::ostream& Out() { return m_out; }
    std::ostream& Err() { return m_err; }

    // Finds the converters the options select. A command that `changes` something refuses a
    // choice among several converters that the user did not make. Returns kExitOk or the exit
    // code of the refusal (already reported).
    int Select(bool changes);
    // The converters selected (before Open, without links).
    const std::vector<Converter>& Selected() const { return m_converters; }
    // Opens the selected ports the way the panel opens them (exclusively). A port that does not
    // open is reported with its converter; the others go on.
    void Open();
    // Runs `step` on every open converter, one thread each, after identifying it (once per
    // session). Reports stay in port order. `more` runs it only on the converters whose report
    // of the last Run is still good, keeping the reports (a second phase of one command).
    void Run(const Step& step, bool more = false);
    // Closes and opens again the converters whose last report failed (a converter unplugged and
    // plugged in again); they are identified again on the next Run.
    void Reopen();
    // Prints the reports of the last Run (JSON document or text, errors on stderr) and returns
    // the exit code. The text renderer gets the converters that went well and those that failed
    // part-way. `compact` writes the JSON document on one line (one per round of --watch).
    int Print(const std::string& command, const TextRenderer& text, bool compact = false);

    // Members of the JSON document beside "command" and "converters".
    Json documentFields = Json::object();

    // A usage error: message on stderr, kExitUsage.
    int Usage(const std::string& message);

    // The reports of the last Run, in port order.
    const std::vector<Report>& Reports() const { return m_reports; }

private:
    // Keeps the converters --sn and --id choose; reads the ID record of each candidate.
    int SelectByIdentity();
    // Runs `work` on each converter index, one thread each.
    void ForEach(const std::function<void(std::size_t)>& work);

    std::ostream& m_out;
    std::ostream& m_err;
    std::vector<Converter> m_converters;
    std::vector<Report> m_reports;
};

// Select, Open, Run and Print in one go: what most commands do.
int RunOnConverters(Session& session, const std::string& command, bool changes,
                    const Session::Step& step, const Session::TextRenderer& text);

// A readable table: columns padded to their widest cell.
class Table {
public:
    explicit Table(std::vector<std::string> headers) : m_rows{std::move(headers)} {}
    void Row(std::vector<std::string> cells) { m_rows.push_back(std::move(cells)); }
    void Print(std::ostream& out) const;

private:
    std::vector<std::vector<std::string>> m_rows;
};

// The converter's ID group (model::Converter::LoadId) into `group`. vexiloctl refuses to go on
// where the panel would only show no ID function: when whether the converter has it cannot be
// told.
model::Outcome ReadId(model::Converter& device, model::IdGroup& group);

// JSON of an identity (model, series, firmware, FPGA, board revision).
Json IdentityJson(const model::Identity& identity);

}  // namespace vexilo::cli
