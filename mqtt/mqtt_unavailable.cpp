// --mqtt in a build made without it: the option says why (in
// mqtt_missing_library.cpp, or mqtt_missing_windows.cpp for Windows).
#include "mqtt_publishing.h"

namespace tavlo::mqtt {

std::unique_ptr<MqttPublishing> start_publishing(MqttSettings, const char *,
                                                 StartProblem &problem) {
    problem = StartProblem::kSetUp;
    return nullptr;
}

}  // namespace tavlo::mqtt
