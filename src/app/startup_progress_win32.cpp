#include "app/startup_progress_win32.h"

#include "ui/win32_backend.h"
// clang-format off
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <utility>

#include "app/shell_logic.h"
#include "app/startup_text.h"
#include "ui/dialog_template.h"
#include "ui/resource.h"

namespace vexilo {

namespace {

constexpr wchar_t kClass[] = L"VexiloStartupProgress";
constexpr int kIdGoOn = 1;

// Pixels of a 96-dpi screen at the screen's scale, as the fonts are.
int Px(int pixels) {
    return ui::MulDiv(pixels, ui::win32::SystemDpi(), 96);
}

HWND Child(HWND parent, const wchar_t* cls, DWORD style, int id = 0) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           GetModuleHandleW(nullptr), nullptr);
}

void SetText(HWND hwnd, const std::string& text) {
    SetWindowTextW(hwnd, ui::win32::Wide(text).c_str());
}

// The width of the widest line of the window's texts, in pixels of `font`.
int WidestLine(HFONT font, const std::vector<std::string>& texts) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    int widest = 0;
    for (const std::string& text : texts) {
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            const std::wstring line = ui::win32::Wide(text.substr(start, end - start));
            SIZE size{};
            GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
            widest = std::max(widest, static_cast<int>(size.cx));
            start = end + 1;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return widest;
}

}  // namespace

StartupProgressWindow::StartupProgressWindow(std::function<long long()> launchMs)
    : m_launchMs(std::move(launchMs)) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // fails harmlessly when registered already
    m_hwnd = CreateWindowExW(0, kClass, ui::win32::Wide(WindowTitle({})).c_str(),
                             WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                             0, 0, nullptr, nullptr, instance, this);
    if (m_hwnd == nullptr) {
        return;
    }
    // The main window's font, so the converters' names read the same in both.
    ui::FontSpec spec;
    if (const auto main = ui::LoadDialogTemplate(IDD_VEXILO_DIALOG)) {
        spec = ui::DialogFont(main->fontFamilies, main->pointSize);
    }
    m_font = spec.families.empty() ? nullptr : ui::win32::MakeFont(spec);
    m_port = Child(m_hwnd, L"STATIC", WS_VISIBLE | SS_NOPREFIX | SS_LEFT);
    m_count = Child(m_hwnd, L"STATIC", WS_VISIBLE | SS_NOPREFIX | SS_LEFT);
    m_bar = Child(m_hwnd, PROGRESS_CLASSW, WS_VISIBLE);
    m_converters = Child(m_hwnd, L"STATIC", SS_NOPREFIX | SS_LEFT);
    m_goOn = Child(m_hwnd, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, kIdGoOn);
    SetText(m_goOn, StartupGoOnText());
    if (m_font != nullptr) {
        for (HWND child : {m_port, m_count, m_converters, m_goOn}) {
            SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        }
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, m_font);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        m_lineHeight = tm.tmHeight;
    }
    Step(std::string(), 0, 0);
}

StartupProgressWindow::~StartupProgressWindow() {
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
    if (m_font != nullptr) {
        DeleteObject(m_font);
    }
}

LRESULT CALLBACK StartupProgressWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<StartupProgressWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr) {
        // Only while a converter is ready: a click already queued when the button was greyed
        // out does nothing.
        if (msg == WM_COMMAND && LOWORD(wp) == kIdGoOn && HIWORD(wp) == BN_CLICKED &&
            IsWindowEnabled(self->m_goOn)) {
            self->m_choice = StartupChoice::kGoOn;
            return 0;
        }
        if (msg == WM_CLOSE) {
            // Closing ends the program; the window itself goes with start-up.
            if (!self->m_finished) {
                self->m_choice = StartupChoice::kQuit;
            }
            return 0;
        }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void StartupProgressWindow::Step(const std::string& portLabel, int done, int total) {
    if (m_hwnd == nullptr) {
        return;
    }
    SetText(m_port, StartupStepText(portLabel));
    SetText(m_count, StartupCountText(done, total));
    SendMessageW(m_bar, PBM_SETRANGE32, 0, total > 0 ? total : 1);
    SendMessageW(m_bar, PBM_SETPOS, total > 0 ? done : 0, 0);
    Layout();
}

void StartupProgressWindow::ShowConverters(const std::vector<StartupRow>& rows) {
    if (m_hwnd == nullptr) {
        return;
    }
    int done = 0;
    bool ready = false;
    const std::string text = StartupRowsText(rows, &done, &ready);
    SetText(m_port, StartupContactingText());
    SetText(m_count, StartupCountText(done, static_cast<int>(rows.size())));
    SendMessageW(m_bar, PBM_SETRANGE32, 0, rows.empty() ? 1 : static_cast<int>(rows.size()));
    SendMessageW(m_bar, PBM_SETPOS, done, 0);
    EnableWindow(m_goOn, ready ? TRUE : FALSE);
    if (text != ui::win32::WindowText(m_converters) || !m_listShown) {
        m_listShown = true;
        SetText(m_converters, text);
        m_converterLines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        ShowWindow(m_converters, SW_SHOWNA);
        ShowWindow(m_goOn, SW_SHOWNA);
        Layout();
    }
}

void StartupProgressWindow::Layout() {
    const int margin = Px(11);
    const int gap = Px(6);
    const int barHeight = Px(18);
    const std::vector<std::string> texts = {
        ui::win32::WindowText(m_port), ui::win32::WindowText(m_count),
        m_listShown ? ui::win32::WindowText(m_converters) : std::string(),
        ui::win32::WindowText(m_goOn)};
    const int width = std::max(Px(360), WidestLine(m_font, texts) + 2 * margin + 2 * gap);
    const int inner = width - 2 * margin;
    int y = margin;
    MoveWindow(m_port, margin, y, inner, m_lineHeight, FALSE);
    y += m_lineHeight + gap;
    MoveWindow(m_count, margin, y, inner, m_lineHeight, FALSE);
    y += m_lineHeight + gap;
    MoveWindow(m_bar, margin, y, inner, barHeight, FALSE);
    y += barHeight + gap;
    if (m_listShown) {
        const int height = m_converterLines * m_lineHeight;
        MoveWindow(m_converters, margin, y, inner, height, FALSE);
        y += height + gap;
        const int buttonWidth = WidestLine(m_font, {ui::win32::WindowText(m_goOn)}) + Px(24);
        const int buttonHeight = m_lineHeight + Px(10);
        MoveWindow(m_goOn, width - margin - buttonWidth, y, buttonWidth, buttonHeight, FALSE);
        y += buttonHeight + gap;
    }
    RECT frame{0, 0, width, y + margin - gap};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(m_hwnd, GWL_STYLE)), FALSE, 0);
    SetWindowPos(m_hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

bool StartupProgressWindow::Poll() {
    if (m_finished || m_hwnd == nullptr) {
        return false;
    }
    if (!m_shown && m_launchMs() >= kShowAfterMs) {
        m_shown = true;
        // Centred on the screen's work area, as the main window will be.
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        RECT r{};
        GetWindowRect(m_hwnd, &r);
        SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - (r.right - r.left)) / 2,
                     work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(m_hwnd, SW_SHOW);
        UpdateWindow(m_hwnd);
        if (m_onShown) {
            m_onShown(m_hwnd);
        }
    }
    return m_shown;
}

void StartupProgressWindow::Finish() {
    m_finished = true;
    if (m_hwnd != nullptr) {
        EnableWindow(m_goOn, FALSE);
        ShowWindow(m_hwnd, SW_HIDE);
    }
}

void StartupProgressWindow::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop that ends the program
            return;
        }
        if (!ui::win32::PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace vexilo
