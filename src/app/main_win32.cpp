// vexilo-panel on Windows: the control panel. "/s" shows the save button; --demo runs on
// simulated converters; --lang ja|en picks the language instead of the system's; --screenshot DIR
// saves every tab as a picture and ends; --help and --version print and end.
#include "ui/win32_backend.h"
// clang-format off
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/demo_converters.h"
#include "app/language.h"
#include "app/screenshot_win32.h"
#include "app/vexilo_app.h"
#include "app/vexilo_dlg.h"

namespace {

// The command line as UTF-8, whatever the ANSI code page.
std::vector<std::string> Arguments() {
    std::vector<std::string> args;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 0; argv != nullptr && i < argc; ++i) {
        args.push_back(vexilo::ui::win32::Utf8(argv[i]));
    }
    LocalFree(argv);
    return args;
}

// A windowed program has no console: started from one, it prints --help, --version and its errors
// there, unless its output already goes somewhere (a pipe or a file).
void UseParentConsole() {
    const auto missing = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        return h == nullptr || h == INVALID_HANDLE_VALUE;
    };
    const bool out = missing(STD_OUTPUT_HANDLE);
    const bool err = missing(STD_ERROR_HANDLE);
    if ((!out && !err) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    // Only the streams that go nowhere: a redirected one stays where it was sent.
    std::FILE* ignored = nullptr;
    if (out) {
        freopen_s(&ignored, "CONOUT$", "w", stdout);
    }
    if (err) {
        freopen_s(&ignored, "CONOUT$", "w", stderr);
    }
}

// Milliseconds since Windows created this process: what the operator waits from the launch.
long long MsSinceLaunch() {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return (ticks(now) - ticks(created)) / 10000;  // 100 ns units
}

}  // namespace

int main() {
    using namespace vexilo;
    UseParentConsole();
    const std::vector<std::string> args = Arguments();
    AppOptions options;
    if (const std::optional<int> code = HandleCommandLine(args, &options)) {
        return *code;
    }
    InstallLanguage(options.lang.empty() ? SystemLanguage() : *ParseLanguage(options.lang));
    if (options.demo) {
        InstallDemoConverters();
    }

    CVexiloApp app(ModelPageFactory());
    app.m_launchMs = MsSinceLaunch;
    std::unique_ptr<Win32ScreenshotRun> screenshots;
    if (options.screenshot || options.walkTabs) {
        screenshots = std::make_unique<Win32ScreenshotRun>(
            options.screenshot ? options.screenshotDir : std::string());
        std::string error;
        if (!screenshots->Start(&error)) {
            std::fprintf(stderr, "vexilo-panel: %s\n", error.c_str());
            return 1;
        }
        app.m_onRunning = [&screenshots](CVexiloDlg& dlg) { screenshots->Run(dlg); };
        app.m_onProgressShown = [&screenshots](void* window) {
            screenshots->SaveProgress(static_cast<HWND>(window));
        };
    }
    if (options.walkTabs) {
        // For the start-up benchmark: when the first tab was shown.
        app.m_onRunning = [&screenshots](CVexiloDlg& dlg) {
            std::fprintf(stderr, "vexilo-panel: first tab shown %lld ms after launch\n",
                         MsSinceLaunch());
            screenshots->Run(dlg);
        };
    }
    app.InitInstance(args);
    return screenshots && screenshots->Failed() ? 1 : 0;
}
