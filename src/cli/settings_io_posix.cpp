// Replacing a file on POSIX systems: a private temporary file beside it, synced, then renamed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/settings_io.h"

namespace vexilo::cli {

namespace {

std::string Directory(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Fail(std::string& error, const std::string& temporary) {
    error = std::strerror(errno);
    if (!temporary.empty()) {
        ::unlink(temporary.c_str());
    }
    return false;
}

}  // namespace

bool WriteFileReplacing(const std::string& path, const std::string& text, std::string& error) {
    // The new file gets the old one's mode (a 0600 backup stays private), else what a plain
    // create would give it.
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    mode_t mode = 0;
    if (replacing) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::size_t slash = path.rfind('/');
    std::string temporary = Directory(path) + "/." +
                            (slash == std::string::npos ? path : path.substr(slash + 1)) +
                            ".XXXXXX";
    // A name nobody can have prepared: mkostemp creates it (O_EXCL), never through a link.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail(error, {});
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            const int saved = errno;
            ::close(fd);
            errno = saved;
            return Fail(error, temporary);
        }
        done += static_cast<std::size_t>(n);
    }
    if (replacing && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only root may give the file away: anyone else's copy is their own, as a rewrite is.
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return Fail(error, temporary);
    }
    if (::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        return Fail(error, temporary);
    }
    // The rename itself survives a power cut only once the directory is synced.
    const int dir = ::open(Directory(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace vexilo::cli
