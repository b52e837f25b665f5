// The verdicts as files a CI server reads: JUnit XML and TAP 13, each
// written whole to a temporary file that is then renamed into place, so
// that a reader never sees half of one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mqtt_delivery.h"
#include "verdict.h"

namespace tavlo::expect {

// What the reports say of the run besides the verdicts.
struct RunFacts {
    std::string device;
    int64_t messages = 0;  // read in the whole run
    double seconds = 0;    // from the start to the end
    Calendar started;
    std::optional<accounting::MqttDelivery> mqtt;  // with --mqtt
};

// testsuites/testsuite/testcase/failure, the run's facts as properties
// (with --mqtt, mqtt_messages_published and the other counts at the end).
std::string junit_text(const std::vector<Verdict> &verdicts, const RunFacts &facts);

// "TAP version 13", the plan, a line for each verdict with its reason in a
// YAML block, and the run's facts as comments ("# MQTT messages: ...").
std::string tap_text(const std::vector<Verdict> &verdicts, const RunFacts &facts);

}  // namespace tavlo::expect
