// The verdicts as the last line of the JSON output.
#pragma once

#include <vector>

#include "report_lines.h"
#include "verdict.h"

namespace tavlo::expect {

// {"version":1,"kind":"verdict","passed":N,"failed":M,"expectations":[
// {"expression":...,"passed":...,"reason":...,"seconds":...},...]} and a
// line feed, as docs/json-output.md describes it.
void write_json_verdict(ts::ReportWriter &out, const std::vector<Verdict> &verdicts);

}  // namespace tavlo::expect
