// The run's metrics in the Prometheus text exposition format.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mqtt_delivery.h"
#include "run_accounting.h"

namespace tavlo::metrics {

// Where an expectation of the run stands.
enum class ExpectationState { kPending, kPassed, kFailed };

struct ExpectationFigure {
    std::string expression;  // as given
    ExpectationState state = ExpectationState::kPending;
};

// What the metrics say besides the accounting's counts.
struct RunFigures {
    // The names of the kinds in the accounting's slots ("other" last).
    std::array<std::string_view, accounting::kKindSlots> kind_names;
    uint64_t output_bytes = 0;                     // written to standard output
    int64_t stale_tags = 0;                        // tags stale now
    std::optional<accounting::MqttDelivery> mqtt;  // with --mqtt, once it started
    std::vector<ExpectationFigure> expectations;
};

// Every metric with its HELP and TYPE lines; names and labels as
// Prometheus's conventions have them (base units, counters end in _total).
std::string exposition_text(const accounting::RunAccounting &run, const RunFigures &figures);

// A label value with its backslashes, quotes and line ends escaped; bytes
// outside printable ASCII become '?', so that the text stays valid UTF-8.
std::string label_value(std::string_view text);

}  // namespace tavlo::metrics
