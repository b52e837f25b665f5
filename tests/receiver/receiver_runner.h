// Runs the receiver binary, against the scripted double or the stand-in.
#pragma once

#include <string>
#include <vector>

#include "child_process.h"

namespace tavlo::testing {

struct DoubleRun {
    ProcessResult result;
    std::string calls;  // the double's call log, one line per call
};

// The receiver's command line: its path, then `args`.
ProcessSpec receiver_spec(const std::vector<std::string> &args);

// The same with the double in place of the client library, answering as
// `script` says and logging the calls to `log_path`.
ProcessSpec receiver_spec_with_double(const std::vector<std::string> &args,
                                      const std::string &script, const std::string &log_path);

// Runs the receiver against the double to its end.
DoubleRun run_with_double(const std::vector<std::string> &args, const std::string &script);

}  // namespace tavlo::testing
