// Replacing a file on Windows: a new temporary file beside it, flushed, then moved over it.
#include <windows.h>

#include <string>

#include "cli/settings_io.h"

namespace vexilo::cli {

namespace {

std::string SystemMessage(DWORD code) {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, n);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& text, std::string& error) {
    HANDLE file = INVALID_HANDLE_VALUE;
    std::string temporary;
    // CREATE_NEW never opens what is already there; a clash tries the next name.
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                    std::to_string(attempt) + ".partial";
        file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            error = SystemMessage(GetLastError());
            return false;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        error = SystemMessage(ERROR_FILE_EXISTS);
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        DWORD written = 0;
        const std::size_t left = text.size() - done;
        const DWORD chunk = static_cast<DWORD>(left < (1u << 20) ? left : (1u << 20));
        ok = WriteFile(file, text.data() + done, chunk, &written, nullptr) && written > 0;
        done += written;
    }
    ok = ok && FlushFileBuffers(file);
    const DWORD code = ok ? DWORD{ERROR_SUCCESS} : GetLastError();
    CloseHandle(file);
    if (ok && !MoveFileExA(temporary.c_str(), path.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
        error = SystemMessage(GetLastError());
    } else if (!ok) {
        error = SystemMessage(code);
    }
    if (!ok) {
        DeleteFileA(temporary.c_str());
    }
    return ok;
}

}  // namespace vexilo::cli
