// The verdicts as the last line of the JSON output.
#pragma once

#include <optional>
#include <vector>

#include "mqtt_delivery.h"
#include "report_lines.h"
#include "verdict.h"

namespace tavlo::expect {

// {"version":1,"kind":"verdict","passed":N,"failed":M,"expectations":[
// {"expression":...,"passed":...,"reason":...,"seconds":...},...]} and a
// line feed, as docs/json-output.md describes it; with --mqtt, the counts
// at the end in "mqtt":{"published":N,...} before the last brace.
void write_json_verdict(ts::ReportWriter &out, const std::vector<Verdict> &verdicts,
                        const std::optional<accounting::MqttDelivery> &mqtt);

}  // namespace tavlo::expect
