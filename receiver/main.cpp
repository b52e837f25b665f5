// tavlo_t_receiver: connects to a device and prints every message it sends.
#include "options.h"
#include "receiver.h"
#include "report_output.h"
#include "stop_control.h"

using namespace tavlo::receiver;

int main(int argc, char **argv) {
    const ParsedCommandLine command_line = parse_command_line(argc, argv);
    if (command_line.stop) return tavlo::cli::finish(*command_line.stop);
    open_report_output();
    install_stop_handlers();
    if (command_line.options.timeout_seconds) arm_timeout(*command_line.options.timeout_seconds);
    return close_report_output(run_receiver(command_line.options));
}
