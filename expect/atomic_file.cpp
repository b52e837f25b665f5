// A file written whole through a temporary one renamed into place.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "report_files.h"
#include "write_all.h"

namespace tavlo::expect {

std::string write_atomically(const std::string &path, const std::string &text) {
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return path + ": " + std::strerror(errno);
    // The mode a file made by open() would have: mkstemp's 0600 would keep
    // the CI server's other users out.
    const mode_t mask = umask(0);
    umask(mask);
    int error =
        fchmod(fd, 0666 & ~mask) == 0
            ? posix::write_all(fd, text.data(), text.size(), [] { return posix::WriteDeadline{}; })
            : errno;
    if (error == 0 && fsync(fd) != 0) error = errno;
    if (close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error == 0) return {};
    unlink(temporary.c_str());
    return path + ": " + std::strerror(error);
}

}  // namespace tavlo::expect
