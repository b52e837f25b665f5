// The receiver's --mqtt options.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"
#include "mqtt_settings.h"

namespace tavlo::mqtt {

// The rows of the options, which fill `settings`.
std::vector<cli::Option> mqtt_options(MqttSettings &settings);

// After the command line: the option and its problem when the settings
// cannot work together (an --mqtt-... option without --mqtt, a certificate
// without mqtts://, --mqtt in a build without it), else an empty option.
// Reads the default topic template where none was given.
std::pair<std::string, std::string> mqtt_settings_problem(MqttSettings &settings);

}  // namespace tavlo::mqtt
