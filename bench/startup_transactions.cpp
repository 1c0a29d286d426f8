// Counts the converter transactions of the panel's start-up and tab walk (vexilo-panel
// --walk-tabs) on the converters that vexilo-sim serves for the same arguments: the same
// firmware models, run in-process on virtual time, so the count costs no waiting.
//   bench_startup_transactions rgb dvi ntsc ...   ->   "transactions <n>"
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/screenshot.h"
#include "app/vexilo_app.h"
#include "discovery/devices.h"
#include "sim/sim_comm.h"
#include "sim/sim_options.h"

int main(int argc, char** argv) {
    using namespace vexilo;
    SimServerOptions options;
    std::string error;
    if (!ParseSimServerArgs(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::fprintf(stderr, "bench_startup_transactions: %s\n", error.c_str());
        return 2;
    }
    UseOffscreenPlatformWithoutDisplay();
    int qtArgc = 1;
    QApplication qtApp(qtArgc, argv);

    const auto models = MakeSimConverters(options);
    std::vector<Port> ports;
    for (std::size_t i = 0; i < models.size() && ports.size() < MAX_DEVICES; ++i) {
        ports.push_back(SimPort(models[i], "sim" + std::to_string(i)));
    }
    SetDeviceSource([&ports] { return ports; });

    ScreenshotRun walk;
    std::string problem;
    walk.Start(&problem);
    CVexiloApp app(ModelPageFactory());
    app.m_onRunning = [&walk](CVexiloDlg& dlg) { walk.Run(dlg); };
    app.InitInstance({"vexilo-panel", "--walk-tabs"});

    std::size_t total = 0;
    for (const auto& model : models) {
        total += model->Log().size() + static_cast<std::size_t>(model->BadFrameCount());
    }
    std::printf("transactions %zu\n", total);
    return 0;
}
