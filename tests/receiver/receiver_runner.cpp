// Runs the receiver binary, against the scripted double or the stand-in.
#include "receiver_runner.h"

#include <fstream>

#include "temporary_files.h"

namespace tavlo::testing {

ProcessSpec receiver_spec(const std::vector<std::string> &args) {
    ProcessSpec spec;
    spec.argv.push_back(TAVLO_RECEIVER_PATH);
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    spec.env["TZ"] = "UTC0";
    spec.unset_env = {"LD_LIBRARY_PATH", "LD_PRELOAD"};
    return spec;
}

ProcessSpec receiver_spec_with_double(const std::vector<std::string> &args,
                                      const std::string &script, const std::string &log_path) {
    ProcessSpec spec = receiver_spec(args);
    const std::string script_path = log_path + ".script";
    std::ofstream(script_path) << script;
    spec.unset_env.clear();
    spec.env["LD_LIBRARY_PATH"] = TAVLO_DOUBLE_DIR;
    spec.env["TAVLO_DOUBLE_SCRIPT"] = script_path;
    spec.env["TAVLO_DOUBLE_LOG"] = log_path;
    return spec;
}

DoubleRun run_with_double(const std::vector<std::string> &args, const std::string &script) {
    const TemporaryDirectory directory("tavlo_double");
    const std::string log_path = directory.file("calls.log");
    DoubleRun run;
    run.result = run_process(receiver_spec_with_double(args, script, log_path));
    run.calls = read_file(log_path);
    return run;
}

}  // namespace tavlo::testing
