// vexilo-panel on Qt: the control panel. "/s" shows the save button; --demo runs on simulated
// converters; --lang ja|en picks the language instead of the system locale; --screenshot DIR saves
// every tab and message box as pictures and ends; --walk-tabs (for timing) shows every tab in turn
// and ends; --help and --version print and end.
#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/demo_converters.h"
#include "app/language.h"
#include "app/screenshot.h"
#include "app/startup_progress.h"
#include "app/vexilo_app.h"

int main(int argc, char** argv) {
    using namespace vexilo;
    QElapsedTimer launch;  // the progress window's 300 ms count from here
    launch.start();
    // Taken before Qt removes its own options from argv.
    const std::vector<std::string> args(argv, argv + argc);
    AppOptions options;
    // Before Qt starts: a wrong line, --help and --version need no display.
    if (const std::optional<int> code = HandleCommandLine(args, &options)) {
        return *code;
    }
    if (options.screenshot || options.walkTabs) {
        UseOffscreenPlatformWithoutDisplay();
    }

    QApplication qtApp(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vexilo/vexilo.png")));
    const Language language =
        options.lang.empty() ? SystemLanguage() : *ParseLanguage(options.lang);
    if (!InstallLanguage(language)) {
        std::fprintf(stderr, "vexilo-panel: the English texts cannot be loaded\n");
    }
    if (options.demo) {
        InstallDemoConverters();
    }

    CVexiloApp app(ModelPageFactory());
    app.m_launchMs = [&launch] { return launch.elapsed(); };
    std::unique_ptr<ScreenshotRun> screenshots;
    if (options.screenshot || options.walkTabs) {
        // Without --screenshot the walk saves no pictures.
        screenshots = std::make_unique<ScreenshotRun>(options.screenshot ? options.screenshotDir
                                                                         : std::string());
        std::string problem;
        if (!screenshots->Start(&problem)) {
            std::fprintf(stderr, "vexilo-panel: %s\n", problem.c_str());
            return 1;
        }
        app.m_onRunning = [&screenshots](CVexiloDlg& dlg) { screenshots->Run(dlg); };
        app.m_onProgressShown = [&screenshots](void* window) {
            screenshots->SaveProgress(*static_cast<QWidget*>(window));
        };
    }
    if (options.walkTabs) {
        // For the start-up benchmark: when the first tab was shown.
        app.m_onRunning = [&screenshots, &launch](CVexiloDlg& dlg) {
            std::fprintf(stderr, "vexilo-panel: first tab shown %lld ms after launch\n",
                         static_cast<long long>(launch.elapsed()));
            screenshots->Run(dlg);
        };
        // For the benchmark of the progress window: when, if at all, it was first painted.
        app.m_onStartupFinished = [](const StartupProgress& progress) {
            if (progress.FirstPaintMs() >= 0) {
                std::fprintf(stderr,
                             "vexilo-panel: progress window first painted %lld ms after launch\n",
                             static_cast<long long>(progress.FirstPaintMs()));
            }
        };
    }
    app.InitInstance(args);
    return screenshots && screenshots->Failed() ? 1 : 0;
}
