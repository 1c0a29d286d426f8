// One QApplication for every test of a Qt test program, on the offscreen platform unless the
// caller chose another.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

namespace {

// Reachable from here until the end, so a test that ends the process with exit(0) (a page's
// forced close) leaves the application alone instead of destroying it under live widgets.
QApplication* g_app = nullptr;
int g_argc = 1;
char g_name[] = "vexilo-test";
char* g_argv[] = {g_name, nullptr};

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        g_app = new QApplication(g_argc, g_argv);
        // No translator is installed: texts are checked in their Japanese source, whatever
        // the machine's locale.
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    }
    void TearDown() override {
        delete g_app;
        g_app = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const g_qt =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

// A test that ends the process with exit(0) while Qt is alive leaves fontconfig's caches behind,
// as the panel's own forced exit does; they are the library's, not leaks of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
