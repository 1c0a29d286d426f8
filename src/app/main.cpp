// vexilo-panel: the control panel. "/s" shows the save button; --demo runs on simulated
// converters; --lang ja|en picks the language instead of the system locale; --screenshot DIR saves
// every tab and message box as pictures and ends; --walk-tabs (for timing) shows every tab in turn
// and ends; --help and --version print and end.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/demo_converters.h"
#include "app/language.h"
#include "app/screenshot.h"
#include "app/vexilo_app.h"

int main(int argc, char** argv) {
    using namespace vexilo;
    // Taken before Qt removes its own options from argv.
    const std::vector<std::string> args(argv, argv + argc);
    AppOptions options;
    std::string error;
    if (!ParseAppOptions(args, &options, &error)) {
        std::fprintf(stderr, "vexilo-panel: %s\n", error.c_str());
        return 2;
    }
    // Before Qt starts: these print and end without a display, a port or a message box.
    if (options.help || options.version) {
        std::fputs((options.help ? PanelUsage() : PanelVersionText()).c_str(), stdout);
        return 0;
    }
    if (options.screenshot || options.walkTabs) {
        UseOffscreenPlatformWithoutDisplay();
    }

    QApplication qtApp(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/vexilo/vexilo.png")));
    const Language language =
        options.lang.empty() ? LanguageOf(QLocale::system()) : *ParseLanguage(options.lang);
    if (!InstallLanguage(language)) {
        std::fprintf(stderr, "vexilo-panel: the English texts cannot be loaded\n");
    }
    if (options.demo) {
        InstallDemoConverters();
    }

    CVexiloApp app(ModelPageFactory());
    std::unique_ptr<ScreenshotRun> screenshots;
    if (options.screenshot || options.walkTabs) {
        // Without --screenshot the walk saves no pictures.
        screenshots = std::make_unique<ScreenshotRun>(
            options.screenshot ? QString::fromLocal8Bit(options.screenshotDir) : QString());
        QString problem;
        if (!screenshots->Start(&problem)) {
            std::fprintf(stderr, "vexilo-panel: %s\n", qPrintable(problem));
            return 1;
        }
        app.m_onRunning = [&screenshots](CVexiloDlg& dlg) { screenshots->Run(dlg); };
    }
    app.InitInstance(args);
    return screenshots && screenshots->Failed() ? 1 : 0;
}
