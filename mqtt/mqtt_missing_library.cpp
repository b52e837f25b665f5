// Why --mqtt is missing from a Linux build: libmosquitto was not found.
#include "mqtt_publishing.h"

namespace tavlo::mqtt {

std::string mqtt_unavailable() {
    return "needs libmosquitto, which this build was made without (Debian: apt-get install "
           "libmosquitto-dev, then build again)";
}

}  // namespace tavlo::mqtt
