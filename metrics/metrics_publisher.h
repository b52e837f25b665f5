// The run's metrics, made once a second from the reading loop: written to
// the --metrics file and handed to the --metrics-listen endpoint.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "clock.h"
#include "exposition.h"
#include "metrics_endpoint.h"
#include "metrics_file.h"

namespace tavlo::metrics {

struct PublisherSettings {
    std::string file;     // "" for none
    bool listen = false;  // serve them over HTTP
    std::string address;  // where, when listening
    int port = 0;
};

class MetricsPublisher {
public:
    explicit MetricsPublisher(posix::Clock &clock) : clock_(clock) {}

    // Writes the file a first time and starts the endpoint, so that a
    // folder that is missing or not writable, or an address in use, shows
    // at the start. Returns "" or the one line that says what went wrong.
    std::string open(const PublisherSettings &settings, const accounting::RunAccounting &run,
                     const RunFigures &figures);

    // Where the endpoint listens, "" without one.
    std::string endpoint_address() const { return endpoint_ ? endpoint_->address() : ""; }

    // Whether the metrics are due: there are some to make, and a second has
    // passed since they were last made.
    bool due() const;

    // Makes the metrics, writes the file and hands them to the endpoint.
    // A file that cannot be written any more is said once on standard
    // error, and again after it could be written in between. False when
    // it could not be written.
    bool publish(const accounting::RunAccounting &run, const RunFigures &figures);

    // The metrics at the end of the run. False when the file could not be
    // written then.
    bool finish(const accounting::RunAccounting &run, const RunFigures &figures);

private:
    posix::Clock &clock_;
    std::optional<MetricsFile> file_;
    std::unique_ptr<Endpoint> endpoint_;
    posix::Clock::Time made_{};
    bool said_failure_ = false;
};

}  // namespace tavlo::metrics
