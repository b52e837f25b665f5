#include "replace_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#include "files.h"
#include "unique_fd.h"
#include "write_all.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tavlo::posix {

namespace {

int flush_to_disk(int fd) {
#ifdef _WIN32
    return _commit(fd) == 0 ? 0 : errno;
#else
    return fsync(fd) == 0 ? 0 : errno;
#endif
}

int rename_over(const std::string &from, const std::string &to) {
#ifdef _WIN32
    // std::rename refuses a target that exists there.
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : EACCES;
#else
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
#endif
}

}  // namespace

int replace_file(const std::string &path, std::string_view text) {
    const std::string temporary = path + ".tmp";
    UniqueFd fd(open(temporary.c_str(),
                     O_WRONLY | O_CREAT | O_TRUNC | kOpenCloseOnExec | kOpenBinary, 0666));
    if (!fd) return errno;
    int error = write_all(fd.get(), text.data(), text.size(), [] { return WriteDeadline{}; });
    if (error == 0) error = flush_to_disk(fd.get());
    if (close(fd.release()) != 0 && error == 0) error = errno;
    if (error == 0) error = rename_over(temporary, path);
    if (error != 0) std::remove(temporary.c_str());
    return error;
}

}  // namespace tavlo::posix
