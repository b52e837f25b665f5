// tavlo_t_receiver: connects to a device and prints every message it sends.
#include <unistd.h>

#include "files.h"
#include "options.h"
#include "receiver.h"
#include "recording.h"
#include "report_output.h"

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
    // A device's control bytes could work the terminal the report goes to.
    const bool text = kOutputFormats[options.output.format].name == "text";
    const bool to_terminal = text && isatty(STDOUT_FILENO) != 0;
    // The text report's line ends are the console's (CR LF on Windows);
    // the other formats' bytes are the same everywhere.
    if (!text) tavlo::posix::write_binary(STDOUT_FILENO);
    open_report_output(to_terminal && !options.raw ? ReportBytes::kControlsEscaped
                                                   : ReportBytes::kAsTheyAre);
    install_stop_handlers();
    if (options.timeout_seconds) arm_timeout(*options.timeout_seconds);
    return close_report_output(close_recording(run_receiver(options)));
}
