// --mqtt in a build made without libmosquitto: the option says so.
#include "mqtt_publishing.h"

namespace tavlo::mqtt {

std::string mqtt_unavailable() {
    return "needs libmosquitto, which this build was made without (Debian: apt-get install "
           "libmosquitto-dev, then build again)";
}

std::unique_ptr<MqttPublishing> start_publishing(MqttSettings, const char *,
                                                 StartProblem &problem) {
    problem = StartProblem::kSetUp;
    return nullptr;
}

}  // namespace tavlo::mqtt
