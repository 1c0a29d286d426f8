// Serial link on Windows: a COM port opened without sharing, synchronous I/O.
#include <windows.h>

#include <string>

#include "serial/pelk_rs232.h"
#include "serial/win32_comm_calls.h"

namespace vexilo {
namespace {

static_assert(sizeof(DCB) == 28, "the driver checks DCBlength against this layout");

// Longest device path the link hands to CreateFileW, terminator included.
constexpr std::size_t kPathBufferChars = 256;

CWin32CommCalls* g_pCalls = nullptr;

HANDLE HandleOf(const CRS232Access& access) {
    return reinterpret_cast<HANDLE>(access.m_hComm);
}

std::wstring Widen(const std::string& utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                          wide.data(), n);
    return wide;
}

// With fAbortOnError set, a line error (framing, overrun, parity) fails every read and write
// until it is acknowledged. The operation that finds one pending acknowledges it and is lost.
bool LineErrorWasPending(HANDLE h) {
    DWORD errors = 0;
    Win32CommCalls().ClearCommError(h, &errors, nullptr);
    return errors != 0;
}

}  // namespace

CWin32CommCalls& Win32CommCalls() {
    static CWin32CommCalls system;
    return g_pCalls != nullptr ? *g_pCalls : system;
}

CWin32CommCalls* SetWin32CommCalls(CWin32CommCalls* calls) {
    CWin32CommCalls* previous = g_pCalls;
    g_pCalls = calls;
    return previous;
}

PortOpenFailure OpenFailureFromSystemError(long code) {
    switch (code) {
        // A port opened without sharing refuses everyone else with "access denied".
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return PortOpenFailure::Busy;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEVICE_NOT_CONNECTED:
            return PortOpenFailure::Gone;
        default:
            return PortOpenFailure::Other;
    }
}

void CRS232Access::Close() {
    if (m_hComm != kNoHandle) {
        Win32CommCalls().CloseHandle(reinterpret_cast<HANDLE>(m_hComm));
        m_hComm = kNoHandle;
    }
}

bool CPelkRS232::Open(const std::string& devicePath) {
    m_pAccess->Close();
    m_openFailure = PortOpenFailure::Other;
    const std::wstring path = Widen(devicePath);
    if (path.empty() || path.size() >= kPathBufferChars) {
        return false;
    }
    // No sharing: while the panel holds the port, no other program can talk to the converter.
    const HANDLE h = Win32CommCalls().CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                                  nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != nullptr && h != INVALID_HANDLE_VALUE) {
        m_pAccess->m_hComm = reinterpret_cast<std::intptr_t>(h);
        m_openFailure = PortOpenFailure::None;
    } else {
        m_openFailure = OpenFailureFromSystemError(static_cast<long>(::GetLastError()));
    }
    return IsOpen();
}

void CPelkRS232::Configure() {
    CWin32CommCalls& calls = Win32CommCalls();
    const HANDLE h = HandleOf(*m_pAccess);

    // Start from what the driver reports and change only the line settings the converter
    // needs; a refusal leaves the driver's settings in place.
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    if (calls.GetCommState(h, &dcb)) {
        dcb.BaudRate = CBR_115200;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = TRUE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fAbortOnError = TRUE;
        dcb.XonLim = 100;
        dcb.XoffLim = 100;
        dcb.XonChar = 0x11;
        dcb.XoffChar = 0x13;
        calls.SetCommState(h, &dcb);
    }

    COMMTIMEOUTS timeouts{};
    if (calls.GetCommTimeouts(h, &timeouts)) {
        timeouts.ReadIntervalTimeout = 0;
        timeouts.ReadTotalTimeoutMultiplier = static_cast<DWORD>(m_timeouts.readPerByteMs);
        timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(m_timeouts.readConstantMs);
        timeouts.WriteTotalTimeoutMultiplier = static_cast<DWORD>(m_timeouts.writePerByteMs);
        timeouts.WriteTotalTimeoutConstant = static_cast<DWORD>(m_timeouts.writeConstantMs);
        calls.SetCommTimeouts(h, &timeouts);
    }
}

void CPelkRS232::Write(const std::uint8_t* buffer, int count) {
    if (!IsOpen() || buffer == nullptr || count <= 0) {
        return;
    }
    const HANDLE h = HandleOf(*m_pAccess);
    if (LineErrorWasPending(h)) {
        return;
    }
    CWin32CommCalls& calls = Win32CommCalls();
    DWORD written = 0;
    if (calls.WriteFile(h, buffer, static_cast<DWORD>(count), &written, nullptr)) {
        calls.FlushFileBuffers(h);  // return only once the bytes have gone to the device
    }
}

int CPelkRS232::Read(std::uint8_t* buffer, int count) {
    if (!IsOpen() || buffer == nullptr || count <= 0) {
        return 0;
    }
    const HANDLE h = HandleOf(*m_pAccess);
    if (LineErrorWasPending(h)) {
        return 0;
    }
    DWORD got = 0;
    if (!Win32CommCalls().ReadFile(h, buffer, static_cast<DWORD>(count), &got, nullptr)) {
        return 0;
    }
    return got <= static_cast<DWORD>(count) ? static_cast<int>(got) : 0;
}

void CPelkRS232::Purge() {
    if (IsOpen()) {
        Win32CommCalls().PurgeComm(HandleOf(*m_pAccess),
                                   PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    }
}

}  // namespace vexilo
