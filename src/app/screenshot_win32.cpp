#include "app/screenshot_win32.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "app/vexilo_dlg.h"
#include "ui/win32_backend.h"

namespace vexilo {

namespace {

void PrintLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);  // the process may end at once after a forced close
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

// Lets the windows handle what is queued and paint.
void Settle(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!ui::win32::PreTranslate(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
}

// The client area as the screen shows it, as a 24-bit bottom-up BMP file.
bool WriteClientBmp(HWND window, const std::filesystem::path& path) {
    RECT r{};
    GetClientRect(window, &r);
    const int w = r.right;
    const int h = r.bottom;
    if (w <= 0 || h <= 0) {
        return false;
    }
    HDC dc = GetDC(window);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    // BitBlt from the window's DC: PrintWindow leaves the child controls out under Wine.
    HGDIOBJ old = SelectObject(mem, dib);
    const bool copied = dib != nullptr && BitBlt(mem, 0, 0, w, h, dc, 0, 0, SRCCOPY) != FALSE;
    GdiFlush();
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t{3};
    const std::size_t size = stride * static_cast<std::size_t>(h);
    bool written = false;
    if (copied) {
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        file.bfSize = static_cast<DWORD>(file.bfOffBits + size);
        info.bmiHeader.biSizeImage = static_cast<DWORD>(size);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(&file), sizeof(file));
        out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(BITMAPINFOHEADER));
        out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(size));
        written = static_cast<bool>(out);
    }
    SelectObject(mem, old);
    if (dib != nullptr) {
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(window, dc);
    return written;
}

}  // namespace

Win32ScreenshotRun::~Win32ScreenshotRun() {
    if (m_started) {
        ui::SetMessageBoxHandler(std::move(m_previous));
    }
}

bool Win32ScreenshotRun::Start(std::string* error) {
    std::error_code ec;
    if (!m_dir.empty()) {
        std::filesystem::create_directories(std::filesystem::u8path(m_dir), ec);
        if (ec) {
            *error = "cannot create the directory " + m_dir;
            return false;
        }
    }
    m_previous = ui::SetMessageBoxHandler(
        [this](ui::Dialog*, const std::string& text, const std::string& caption, unsigned style) {
            return OnMessageBox(text, caption, style);
        });
    m_started = true;
    return true;
}

int Win32ScreenshotRun::OnMessageBox(const std::string& text, const std::string& caption,
                                     unsigned style) {
    const int n = ++m_boxes;
    PrintLine("box " + std::to_string(n) + ": " + caption + ": " + Escape(text));
    return ui::DefaultAnswer(style);
}

void Win32ScreenshotRun::Run(CVexiloDlg& dlg) {
    ui::TabCtrl& tab = dlg.TabControl();
    int k = 0;
    while (k < tab.GetItemCount()) {
        const int count = tab.GetItemCount();
        if (tab.GetCurSel() != k) {
            // As a click on the tab does it: the selection, then the notification.
            tab.SetCurSel(k);
            ui::NmHdr hdr{IDC_TAB, ui::Notify::TcnSelChange};
            ui::LResult result = 0;
            dlg.Dispatch(ui::Notify::TcnSelChange, IDC_TAB, &hdr, &result);
        }
        if (tab.GetItemCount() < count) {
            continue;  // the converter did not answer and its tab is gone: the next one moved up
        }
        Settle(ui::win32::Window(dlg));
        const int shot = ++m_tabs;
        if (!m_dir.empty()) {
            SaveWindow(dlg, "tab-" + std::to_string(shot) + ".bmp");
        }
        PrintLine("tab " + std::to_string(shot) + ": " + tab.GetItemText(k));
        ++k;
    }
    dlg.EndDialog(ui::kIdCancel);
}

void Win32ScreenshotRun::SaveWindow(CVexiloDlg& dlg, const std::string& name) {
    const std::filesystem::path path = std::filesystem::u8path(m_dir) / name;
    if (!WriteClientBmp(ui::win32::Window(dlg), path)) {
        std::fprintf(stderr, "vexilo-panel: cannot write %s\n", (m_dir + "/" + name).c_str());
        m_failed = true;
    }
}

}  // namespace vexilo
