// tavlo_t_receiver: connects to a device and prints every message it sends.
#include "options.h"
#include "receiver.h"
#include "recording.h"
#include "report_output.h"
#include "stop_control.h"

using namespace tavlo::receiver;

int main(int argc, char **argv) {
    const ParsedCommandLine command_line = parse_command_line(argc, argv);
    if (command_line.stop) return tavlo::cli::finish(*command_line.stop);
    const Options &options = command_line.options;
    if (!options.record_path.empty() && options.device != nullptr &&
        !open_recording(options.record_path.c_str(), options.append  ? RecordMode::kAppend
                                                     : options.force ? RecordMode::kReplace
                                                                     : RecordMode::kNew)) {
        return kExitRecordingFailed;
    }
    open_report_output();
    install_stop_handlers();
    if (options.timeout_seconds) arm_timeout(*options.timeout_seconds);
    return close_report_output(close_recording(run_receiver(options)));
}
