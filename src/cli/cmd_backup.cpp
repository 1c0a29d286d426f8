// vexiloctl backup [FILE]: the selected converters' settings as a settings file.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <fstream>

#include "cli/commands.h"
#include "cli/settings_io.h"
#include "model/settings_file.h"

namespace vexilo::cli {

namespace {

int Run(Session& session, const std::string& path) {
    if (const int code = session.Select(false); code != kExitOk) {
        return code;
    }
    session.Open();
    std::vector<model::ConverterSettings> entries(session.Selected().size());
    session.Run([&](Converter& c, Report& r) {
        model::SettingsSnapshot snapshot;
        model::IdGroup id;
        if (!ReadConverterState(c, r, snapshot, id)) {
            return;
        }
        const auto index = static_cast<std::size_t>(&c - session.Selected().data());
        entries[index] = model::CaptureSettings(c.label, c.device->Identified(), snapshot, id);
        if (c.Kind().HasAdjustments() && !entries[index].inputFormat) {
            r.fields["skipped"] = Json::array(
                {{{"what", "adjustments"}, {"reason", "no input signal: none to read"}}});
        }
    });
    const auto& reports = session.Reports();
    const bool failed =
        std::any_of(reports.begin(), reports.end(), [](const Report& r) { return !r.Ok(); });
    std::string document;
    if (!failed) {
        model::SettingsFile file;
        file.converters = std::move(entries);
        document = DumpJson(model::ToJson(file)) + "\n";
    }
    // An incomplete backup is not written: it would replace a good one without saying so.
    if (path.empty() || path == "-") {
        session.options.json = false;  // stdout holds the file itself
        return session.Print("backup", [&](std::ostream& out, const std::vector<const Converter*>&,
                                           const std::vector<const Report*>&) { out << document; });
    }
    if (!failed) {
        std::string error;
        if (!WriteFileReplacing(path, document, error)) {
            session.Err() << "vexiloctl: " << path << ": " << error << " (nothing was written)\n";
            return kExitFailed;
        }
    }
    return session.Print("backup", [&](std::ostream& out, const std::vector<const Converter*>& ok,
                                       const std::vector<const Report*>& okReports) {
        for (std::size_t i = 0; i < ok.size(); ++i) {
            out << ok[i]->label << ": backed up to " << path;
            if (okReports[i]->fields.contains("skipped")) {
                out << " (adjustments skipped: no input signal)";
            }
            out << '\n';
        }
        if (failed) {
            out << "nothing was written: a converter failed\n";
        }
    });
}

}  // namespace

void AddBackupCommand(CLI::App& app, Session& session, Action& action) {
    auto path = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand(
        "backup",
        "Write the settings of the selected converters to a settings file (stdout without FILE); "
        "see docs/settings-file.md");
    sub->add_option("FILE", *path,
                    "Settings file to write (replaced only when every converter "
                    "was read)");
    sub->callback(
        [&session, &action, path] { action = [&session, path] { return Run(session, *path); }; });
}

}  // namespace vexilo::cli
