#include "app/screenshot_win32.h"

#include <cstdio>
#include <filesystem>
#include <utility>
#include <vector>

#include "app/vexilo_dlg.h"
#include "ui/win32_backend.h"
// clang-format off
#include <wincodec.h>
// clang-format on

namespace vexilo {

namespace {

// Lets the windows handle what is queued and paint.
void SettleWindow(HWND window) {
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

// Releases a COM interface when it goes.
template <class T>
struct ComPtr {
    T* p = nullptr;
    ~ComPtr() {
        if (p != nullptr) {
            p->Release();
        }
    }
    T** operator&() { return &p; }
    T* operator->() const { return p; }
};

// Writes top-down 24-bit BGR rows as a PNG file through WIC.
bool WritePng(const std::filesystem::path& path, int w, int h, const void* bits,
              std::size_t stride) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = false;
    {
        ComPtr<IWICImagingFactory> factory;
        ComPtr<IWICStream> stream;
        ComPtr<IWICBitmapEncoder> encoder;
        ComPtr<IWICBitmapFrameEncode> frame;
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IWICImagingFactory,
                                        reinterpret_cast<void**>(&factory))) &&
             SUCCEEDED(factory->CreateStream(&stream)) &&
             SUCCEEDED(stream->InitializeFromFilename(path.wstring().c_str(), GENERIC_WRITE)) &&
             SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
             SUCCEEDED(encoder->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
             SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) &&
             SUCCEEDED(frame->Initialize(nullptr)) &&
             SUCCEEDED(frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h))) &&
             SUCCEEDED(frame->SetPixelFormat(&format)) &&
             IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) &&
             SUCCEEDED(frame->WritePixels(static_cast<UINT>(h), static_cast<UINT>(stride),
                                          static_cast<UINT>(stride * static_cast<std::size_t>(h)),
                                          static_cast<BYTE*>(const_cast<void*>(bits)))) &&
             SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    }
    if (SUCCEEDED(init)) {
        CoUninitialize();
    }
    return ok;
}

// The client area (or the whole window, frame and title included) as the screen shows it, as a
// PNG file.
bool WriteWindowPng(HWND window, const std::filesystem::path& path, bool whole) {
    RECT r{};
    if (whole) {
        GetWindowRect(window, &r);
    } else {
        GetClientRect(window, &r);
    }
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) {
        return false;
    }
    HDC dc = whole ? GetWindowDC(window) : GetDC(window);
    HDC mem = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down, as the encoder takes the rows
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
    const bool written = copied && WritePng(path, w, h, bits, stride);
    SelectObject(mem, old);
    if (dib != nullptr) {
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(window, dc);
    return written;
}

}  // namespace

void Win32ScreenshotRun::Settle(CVexiloDlg& dlg) {
    SettleWindow(ui::win32::Window(dlg));
}

bool Win32ScreenshotRun::SaveTab(CVexiloDlg& dlg, const std::filesystem::path& path) {
    return WriteWindowPng(ui::win32::Window(dlg), path, false);
}

void Win32ScreenshotRun::SaveBox(ui::Dialog* owner, const std::string& text,
                                 const std::string& caption, unsigned style, int answer,
                                 const std::filesystem::path& path) {
    ui::win32::ShowWatchedMessageBox(owner, text, caption, style, [this, answer, path](HWND box) {
        SettleWindow(box);
        Written(WriteWindowPng(box, path, true), path);
        // The kit's answers carry Windows' button IDs.
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, answer)));
    });
}

void Win32ScreenshotRun::SaveProgress(HWND window) {
    if (ProgressDue()) {
        SettleWindow(window);
        const std::filesystem::path path = PathOf("progress.png");
        Written(WriteWindowPng(window, path, false), path);
    }
}

}  // namespace vexilo
