// The Windows shell's own parts: the start-up progress window and the hotplug notifier.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "app/hotplug_watcher.h"
#include "app/startup_progress_win32.h"
#include "ui/win32_backend.h"
#include "ui/window_timers.h"

namespace vexilo {
namespace {

constexpr int kGoOnId = 1;

ParallelStartup::Status State(ParallelStartup::State state) {
    return {state, model::Fault::kNone};
}

TEST(Win32StartupProgress, AppearsLateAndTellsTheOperatorsChoice) {
    long long now = 0;
    StartupProgressWindow progress([&now] { return now; });
    ASSERT_NE(progress.Handle(), nullptr);
    HWND goOn = GetDlgItem(progress.Handle(), kGoOnId);

    // A quick start-up shows nothing.
    progress.Step("COM3", 0, 2);
    EXPECT_FALSE(progress.Poll());
    EXPECT_FALSE(IsWindowVisible(progress.Handle()));
    EXPECT_FALSE(ui::win32::WindowText(progress.Handle()).empty());  // the panel's title

    // Later: shown, and the button only works once a converter is ready.
    now = StartupProgressWindow::kShowAfterMs;
    progress.ShowConverters(
        {{"COM3", State(ParallelStartup::State::kContacting)},
         {"COM4", {ParallelStartup::State::kFailed, model::Fault::kNoResponse}}});
    EXPECT_TRUE(progress.Poll());
    EXPECT_TRUE(IsWindowVisible(progress.Handle()));
    EXPECT_FALSE(IsWindowEnabled(goOn));
    SendMessageW(goOn, BM_CLICK, 0, 0);
    EXPECT_EQ(progress.Choice(), StartupChoice::kWait);
    progress.ShowConverters(
        {{"COM3", State(ParallelStartup::State::kReady)},
         {"COM4", {ParallelStartup::State::kFailed, model::Fault::kNoResponse}}});
    EXPECT_TRUE(IsWindowEnabled(goOn));
    SendMessageW(goOn, BM_CLICK, 0, 0);
    EXPECT_EQ(progress.Choice(), StartupChoice::kGoOn);

    // Closing the window asks to end the program; once start-up is over it only hides.
    SendMessageW(progress.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(progress.Choice(), StartupChoice::kQuit);
    progress.Finish();
    EXPECT_FALSE(IsWindowVisible(progress.Handle()));
    EXPECT_FALSE(progress.Poll());
}

// Runs the loop until `count` reaches `expected` or 5 s have passed.
bool LoopUntil(const int& count, int expected) {
    bool timedOut = false;
    bool done = false;
    auto deadline = ui::MakePeriodicTimer([&] { timedOut = true; });
    deadline->Start(5000);
    auto check = ui::MakePeriodicTimer([&] { done = count >= expected || timedOut; });
    check->Start(5);
    ui::win32::RunLoopUntil(done);
    return count >= expected;
}

TEST(Win32HotplugNotifier, EachSignalIsOneCallOnTheLoopAfterItWasDrained) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    const DWORD loopThread = GetCurrentThreadId();
    int calls = 0;
    bool onLoop = true;
    auto notifier = MakeHotplugNotifier(reinterpret_cast<std::intptr_t>(event), [&] {
        onLoop = onLoop && GetCurrentThreadId() == loopThread;
        ++calls;
        ResetEvent(event);  // as the monitor's Drain does
    });
    SetEvent(event);
    ASSERT_TRUE(LoopUntil(calls, 1));
    SetEvent(event);
    ASSERT_TRUE(LoopUntil(calls, 2));
    EXPECT_TRUE(onLoop);

    // Signalled, then gone before the loop ran: nothing is called.
    SetEvent(event);
    notifier.reset();
    int none = 0;
    auto later = ui::MakePeriodicTimer([&none] { none = 1; });
    later->Start(50);
    LoopUntil(none, 1);
    EXPECT_EQ(calls, 2);
    CloseHandle(event);
}

TEST(Win32HotplugNotifier, PostsFromAnyThreadRunOnTheLoop) {
    ui::win32::MessageWindow();  // this thread's loop is the one that runs posted calls
    const DWORD loopThread = GetCurrentThreadId();
    int ran = 0;
    DWORD where = 0;
    std::thread worker([&] {
        ui::PostToEventLoop([&] {
            where = GetCurrentThreadId();
            ran = 1;
        });
    });
    worker.join();
    ASSERT_TRUE(LoopUntil(ran, 1));
    EXPECT_EQ(where, loopThread);
}

}  // namespace
}  // namespace vexilo
