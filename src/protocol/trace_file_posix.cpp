#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "protocol/trace_file.h"

namespace vexilo {

std::FILE* OpenTraceFile(const std::string& path, std::string& error) {
    // O_NOFOLLOW: a link planted at the name must not lead the trace into another file.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno == ELOOP ? std::string("a symbolic link, which the trace does not follow")
                               : std::string(std::strerror(errno));
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "a");
    if (file == nullptr) {
        error = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

}  // namespace vexilo
