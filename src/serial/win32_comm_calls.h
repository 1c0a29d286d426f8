#pragma once
// The Win32 calls of the serial link, behind one replaceable object. Wine never reports a line
// error from ClearCommError, so tests wrap the real calls to inject one and to record what the
// link asks of the driver. Windows builds only.

#include <windows.h>

namespace vexilo {

class CWin32CommCalls {
public:
    virtual ~CWin32CommCalls() = default;

    virtual HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                               DWORD disposition, DWORD flags, HANDLE templateFile) {
        return ::CreateFileW(path, access, share, sa, disposition, flags, templateFile);
    }
    virtual BOOL CloseHandle(HANDLE h) { return ::CloseHandle(h); }
    virtual BOOL GetCommState(HANDLE h, DCB* dcb) { return ::GetCommState(h, dcb); }
    virtual BOOL SetCommState(HANDLE h, DCB* dcb) { return ::SetCommState(h, dcb); }
    virtual BOOL GetCommTimeouts(HANDLE h, COMMTIMEOUTS* t) { return ::GetCommTimeouts(h, t); }
    virtual BOOL SetCommTimeouts(HANDLE h, COMMTIMEOUTS* t) { return ::SetCommTimeouts(h, t); }
    virtual BOOL ClearCommError(HANDLE h, DWORD* errors, COMSTAT* stat) {
        return ::ClearCommError(h, errors, stat);
    }
    virtual BOOL ReadFile(HANDLE h, void* buffer, DWORD count, DWORD* done, OVERLAPPED* ov) {
        return ::ReadFile(h, buffer, count, done, ov);
    }
    virtual BOOL WriteFile(HANDLE h, const void* buffer, DWORD count, DWORD* done, OVERLAPPED* ov) {
        return ::WriteFile(h, buffer, count, done, ov);
    }
    virtual BOOL FlushFileBuffers(HANDLE h) { return ::FlushFileBuffers(h); }
    virtual BOOL PurgeComm(HANDLE h, DWORD flags) { return ::PurgeComm(h, flags); }
};

// The calls every CPelkRS232 makes; the operating system's unless replaced.
CWin32CommCalls& Win32CommCalls();

// Replaces the calls (nullptr restores the operating system's) and returns the previous ones.
// The object must outlive every port opened while it is installed.
CWin32CommCalls* SetWin32CommCalls(CWin32CommCalls* calls);

}  // namespace vexilo
