// The run's metrics, made once a second from the reading loop.
#include "metrics_publisher.h"

#include <chrono>
#include <cstdio>

namespace tavlo::metrics {

namespace {

constexpr std::chrono::seconds kRewriteEvery{1};
constexpr char kPrefix[] = "tavlo_t_receiver: ";

}  // namespace

std::string MetricsPublisher::open(const PublisherSettings &settings,
                                   const accounting::RunAccounting &run,
                                   const RunFigures &figures) {
    made_ = clock_.now();
    const std::string text = exposition_text(run, figures);
    if (!settings.file.empty()) {
        file_.emplace(settings.file);
        if (std::string problem = file_->rewrite(text); !problem.empty()) {
            return "--metrics " + problem;
        }
    }
    if (settings.listen) {
        std::string problem;
        endpoint_ = open_endpoint(settings.address, settings.port, problem);
        if (!endpoint_) return "--metrics-listen " + problem;
        endpoint_->publish(text);
    }
    return {};
}

bool MetricsPublisher::publish(const accounting::RunAccounting &run, const RunFigures &figures) {
    made_ = clock_.now();
    std::string text = exposition_text(run, figures);
    bool written = true;
    if (file_) {
        const std::string problem = file_->rewrite(text);
        written = problem.empty();
        if (!written && !said_failure_) {
            std::fprintf(stderr, "%s--metrics %s\n", kPrefix, problem.c_str());
            said_failure_ = true;
        }
        if (written) said_failure_ = false;
    }
    if (endpoint_) endpoint_->publish(std::move(text));
    return written;
}

bool MetricsPublisher::due() const {
    return (file_ || endpoint_) && clock_.now() - made_ >= kRewriteEvery;
}

bool MetricsPublisher::finish(const accounting::RunAccounting &run, const RunFigures &figures) {
    if (!file_ && !endpoint_) return true;
    return publish(run, figures);
}

}  // namespace tavlo::metrics
