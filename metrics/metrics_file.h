// The metrics file, rewritten whole through PATH.tmp beside it (no *.prom
// for node_exporter's textfile collector), so that a reader never sees half
// of it.
#pragma once

#include <string>

namespace tavlo::metrics {

class MetricsFile {
public:
    explicit MetricsFile(std::string path);

    // Puts `text` in the file's place. Returns "" or what went wrong, as
    // "cannot write FILE: REASON".
    std::string rewrite(const std::string &text) const;

    const std::string &path() const { return path_; }

private:
    std::string path_;
};

}  // namespace tavlo::metrics
