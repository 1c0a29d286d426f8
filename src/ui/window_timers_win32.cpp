// Window timers and posted calls on one hidden message window (SetTimer, PostMessage).
#include <map>
#include <utility>

#include "ui/backend.h"
#include "ui/win32_backend.h"

namespace vexilo::ui {

namespace {

constexpr UINT kPostedCall = WM_APP + 1;  // lParam: a std::function<void()>* to run and delete

class Win32PeriodicTimer;

std::map<UINT_PTR, Win32PeriodicTimer*>& Timers() {
    static std::map<UINT_PTR, Win32PeriodicTimer*> timers;
    return timers;
}

class Win32PeriodicTimer : public PeriodicTimer {
public:
    explicit Win32PeriodicTimer(std::function<void()> tick) : m_tick(std::move(tick)) {
        static UINT_PTR next = 1;
        m_id = next++;
        Timers()[m_id] = this;
    }
    ~Win32PeriodicTimer() override {
        Stop();
        Timers().erase(m_id);
    }
    void Start(int periodMs) override {
        SetTimer(win32::MessageWindow(), m_id, static_cast<UINT>(periodMs > 0 ? periodMs : 1),
                 nullptr);
        m_running = true;
    }
    void Stop() override {
        if (m_running) {
            KillTimer(win32::MessageWindow(), m_id);
            m_running = false;
        }
    }
    void Tick() {
        if (m_running) {
            m_tick();
        }
    }

private:
    std::function<void()> m_tick;
    UINT_PTR m_id = 0;
    bool m_running = false;
};

LRESULT CALLBACK MessageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        const auto it = Timers().find(wp);
        if (it != Timers().end()) {
            it->second->Tick();
        }
        return 0;
    }
    if (msg == kPostedCall) {
        std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lp));
        (*fn)();
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

HWND win32::MessageWindow() {
    static HWND hwnd = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = MessageProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VexiloKitMessages";
        RegisterClassW(&wc);
        return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
    }();
    return hwnd;
}

std::unique_ptr<PeriodicTimer> MakePeriodicTimer(std::function<void()> tick) {
    return std::make_unique<Win32PeriodicTimer>(std::move(tick));
}

// Posts `fn` to the message window; it runs when the loop gets to it.
void PostToEventLoop(std::function<void()> fn) {
    auto* call = new std::function<void()>(std::move(fn));
    if (!PostMessageW(win32::MessageWindow(), kPostedCall, 0, reinterpret_cast<LPARAM>(call))) {
        delete call;
    }
}

}  // namespace vexilo::ui
