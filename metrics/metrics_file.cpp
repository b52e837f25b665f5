// The metrics file, rewritten whole.
#include "metrics_file.h"

#include <utility>

#include "files.h"
#include "replace_file.h"

namespace tavlo::metrics {

MetricsFile::MetricsFile(std::string path) : path_(std::move(path)) {}

std::string MetricsFile::rewrite(const std::string &text) const {
    if (const int error = posix::replace_file(path_, text); error != 0) {
        return "cannot write " + path_ + ": " + posix::error_text(error);
    }
    return {};
}

}  // namespace tavlo::metrics
