// --mqtt in a build made without it: starting fails, and the option says
// why. A Linux build names the missing library; a Windows build never has
// --mqtt.
#include "mqtt_publishing.h"

namespace tavlo::mqtt {

std::unique_ptr<MqttPublishing> start_publishing(MqttSettings, const char *,
                                                 StartProblem &problem) {
    problem = StartProblem::kSetUp;
    return nullptr;
}

std::string mqtt_unavailable() {
#ifdef _WIN32
    return "is not built for Windows; publish from a Linux receiver, or pipe --format json "
           "into an MQTT client";
#else
    return "needs libmosquitto, which this build was made without (Debian: apt-get install "
           "libmosquitto-dev, then build again)";
#endif
}

}  // namespace tavlo::mqtt
