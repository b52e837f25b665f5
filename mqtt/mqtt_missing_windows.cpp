// Why --mqtt is missing from a Windows build: it is never built there.
#include "mqtt_publishing.h"

namespace tavlo::mqtt {

std::string mqtt_unavailable() {
    return "is not built for Windows; publish from a Linux receiver, or pipe --format json "
           "into an MQTT client";
}

}  // namespace tavlo::mqtt
