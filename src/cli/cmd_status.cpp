// vexiloctl status [--watch SECONDS]: input format, temperatures, supply voltage.
#include <CLI/CLI.hpp>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "cli/commands.h"
#include "cli/openmetrics.h"
#include "model/converter.h"
#include "model/status_text.h"

namespace vexilo::cli {

namespace {

struct StatusOptions {
    double watch = 0;              // seconds between rounds; 0: one round
    int count = 0;                 // rounds with --watch; 0: until interrupted
    std::string format = "table";  // table, json or openmetrics
};

Json Tenths(int value) {
    return value / 10.0;
}

Json StatusJson(const requests::StatusBlock& s) {
    Json j;
    if (InputPresent(s)) {
        Json in;
        in["width"] = s.width == requests::kNoInput ? Json(nullptr) : Json(s.width);
        in["height"] = s.height == requests::kNoInput ? Json(nullptr) : Json(s.height);
        in["frame_rate"] =
            s.frameRate == requests::kNoInput ? Json(nullptr) : Json(s.frameRate / 100.0);
        in["scanning"] = s.scanning == 1   ? Json("interlace")
                         : s.scanning == 2 ? Json("progressive")
                                           : Json(nullptr);
        j["input"] = std::move(in);
    } else {
        j["input"] = nullptr;
    }
    j["fpga_temperature"] = Tenths(s.fpgaTemperature);
    j["mcu_temperature"] = Tenths(s.mcuTemperature);
    j["supply_voltage"] = Tenths(s.supplyVoltage);
    return j;
}

void PrintText(std::ostream& out, const std::vector<const Converter*>& ok,
               const std::vector<requests::StatusBlock>& blocks,
               const std::vector<Converter>& selected) {
    Table t({"PORT", "KIND", "WIDTH", "HEIGHT", "FRAMERATE", "SCAN", "FPGA-C", "MCU-C", "VOLT"});
    for (const Converter* c : ok) {
        const auto index = static_cast<std::size_t>(c - selected.data());
        const model::StatusText s = model::FormatStatus(blocks[index]);
        t.Row({c->label, c->Kind().Name(), s.width, s.height, s.frameRate, s.scanning,
               s.fpgaTemperature, s.mcuTemperature, s.supplyVoltage});
    }
    t.Print(out);
}

// Waits until `deadline` (a deadline, not a sleep of its own length: rounds keep their pace).
void WaitUntil(std::chrono::steady_clock::time_point deadline) {
    std::mutex mutex;
    std::condition_variable never;
    std::unique_lock lock(mutex);
    never.wait_until(lock, deadline, [&] { return std::chrono::steady_clock::now() >= deadline; });
}

int Run(Session& session, const StatusOptions& o) {
    if (const int code = session.Select(false); code != kExitOk) {
        if (code == kExitNotFound && o.format == "openmetrics") {
            // The collector gets a document that says so rather than nothing.
            PrintOpenMetrics(session.Out(), {}, {}, {});
            session.Out().flush();
        }
        return code;
    }
    session.Open();
    std::vector<requests::StatusBlock> blocks(session.Selected().size());
    const auto step = [&](Converter& c, Report& r) {
        const auto index = static_cast<std::size_t>(&c - session.Selected().data());
        if (model::Outcome res = c.device->ReadStatus(blocks[index]); !res) {
            r.Fail(res.error);
            return;
        }
        r.fields = StatusJson(blocks[index]);
    };
    const bool metrics = o.format == "openmetrics";
    if (metrics) {
        session.options.json = false;
    } else if (o.format == "json") {
        session.options.json = true;
    }
    const auto text = [&](std::ostream& out, const std::vector<const Converter*>& ok,
                          const std::vector<const Report*>&) {
        if (metrics) {
            PrintOpenMetrics(out, session.Selected(), session.Reports(), blocks);
        } else {
            PrintText(out, ok, blocks, session.Selected());
        }
    };
    int code = kExitOk;
    auto next = std::chrono::steady_clock::now();
    for (int round = 1;; ++round) {
        if (round > 1) {
            session.Reopen();  // a converter unplugged and plugged in again comes back
        }
        session.Run(step);
        // Each round of --watch is one JSON document on one line.
        code = std::max(code, session.Print("status", text, o.watch > 0));
        if (o.watch <= 0 || (o.count > 0 && round >= o.count)) {
            return code;
        }
        if (!session.options.json) {
            session.Out() << '\n';
        }
        next += std::chrono::milliseconds(static_cast<long long>(o.watch * 1000));
        WaitUntil(next);
    }
}

}  // namespace

void AddStatusCommand(CLI::App& app, Session& session, Action& action) {
    auto o = std::make_shared<StatusOptions>();
    CLI::App* sub = app.add_subcommand(
        "status", "Input format, FPGA and microcontroller temperatures, supply voltage");
    sub->add_option("--watch", o->watch, "Read again every SECONDS until interrupted")
        ->check(CLI::Range(0.1, 3600.0))
        ->type_name("SECONDS");
    sub->add_option("--count", o->count, "With --watch: stop after this many rounds")
        ->check(CLI::PositiveNumber);
    sub->add_option("--format", o->format,
                    "table (default), json (as --json), or openmetrics for node exporter's "
                    "textfile collector")
        ->check(CLI::IsMember({"table", "json", "openmetrics"}))
        ->type_name("table|json|openmetrics");
    sub->callback([&session, &action, o] { action = [&session, o] { return Run(session, *o); }; });
}

}  // namespace vexilo::cli
