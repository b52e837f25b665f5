// The metrics file, rewritten whole: a temporary file beside it is written
// and then renamed over it, so that a reader (node_exporter's textfile
// collector) never sees half of it.
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
    std::string temporary_;  // PATH.tmp: no *.prom for the collector
};

}  // namespace tavlo::metrics
