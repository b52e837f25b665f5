// The metrics file, rewritten whole through a temporary file and a rename.
#include "metrics_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "unique_fd.h"
#include "write_all.h"

namespace tavlo::metrics {

MetricsFile::MetricsFile(std::string path) : path_(std::move(path)), temporary_(path_ + ".tmp") {}

std::string MetricsFile::rewrite(const std::string &text) const {
    const auto failure = [this](int error) {
        return "cannot write " + path_ + ": " + std::strerror(error);
    };
    posix::UniqueFd fd(open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd) return failure(errno);
    if (const int error = posix::write_all(fd.get(), text.data(), text.size(),
                                           [] { return posix::WriteDeadline{}; });
        error != 0) {
        unlink(temporary_.c_str());
        return failure(error);
    }
    if (close(fd.release()) != 0 || std::rename(temporary_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        unlink(temporary_.c_str());
        return failure(error);
    }
    return {};
}

}  // namespace tavlo::metrics
