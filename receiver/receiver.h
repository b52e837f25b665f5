// The receiver: start-up, the connect-and-read loop and the shutdown.
#pragma once

#include "options.h"

namespace tavlo::receiver {

enum ExitStatus : int {
    kExitStopped = 0,          // stopped as asked
    kExitInitFailed = 1,       // the client library could not be initialised
    kExitUsage = 2,            // no device name, or a bad option
    kExitCountNotReached = 3,  // --timeout ran out before --count was reached
    kExitRecordingFailed = 5,  // the --record file could not be opened or written
    // An expectation (--expect, --until) failed.
    kExitExpectationFailed = 6,
    // With expectations: no message was read in the whole run.
    kExitNothingRead = 7,
    // The --metrics file cannot be written, or its endpoint cannot listen.
    kExitMetricsFailed = 8,
    kExitMqttUndelivered = 9,  // MQTT messages left in the spool at the end
    kExitMqttRefused = 10,     // the MQTT broker refused the connection at start
};

// Runs the receiver to its end and returns the process exit status.
int run_receiver(const Options &options);

}  // namespace tavlo::receiver
