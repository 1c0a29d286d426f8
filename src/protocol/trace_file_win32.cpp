#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "protocol/trace_file.h"

namespace vexilo {

std::FILE* OpenTraceFile(const std::string& path, std::string& error) {
    // _O_NOINHERIT: the handle is not inherited by programs the panel starts.
    const int fd =
        _open(path.c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "a");
    if (file == nullptr) {
        error = std::strerror(errno);
        _close(fd);
    }
    return file;
}

}  // namespace vexilo
