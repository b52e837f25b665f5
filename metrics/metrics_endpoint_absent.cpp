// A build without cpp-httplib has no HTTP endpoint for the metrics.
#include "metrics_endpoint.h"

namespace tavlo::metrics {

std::unique_ptr<Endpoint> open_endpoint(const std::string &, int, std::string &error) {
    error = endpoint_unavailable();
    return nullptr;
}

std::string endpoint_unavailable() {
    return "is not built in (cpp-httplib was missing when this program was built)";
}

}  // namespace tavlo::metrics
