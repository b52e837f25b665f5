// tavlo_t_receiver: connects to a device and prints every message it sends.
#include <cstdio>

#include "options.h"
#include "receiver.h"
#include "stop_control.h"

using namespace tavlo::receiver;

int main(int argc, char **argv) {
    const ParsedCommandLine command_line = parse_command_line(argc, argv);
    if (command_line.stop) return tavlo::cli::finish(*command_line.stop);
    // Whole messages go out at once: the report flushes after each.
    static char output_buffer[1 << 16];
    std::setvbuf(stdout, output_buffer, _IOFBF, sizeof output_buffer);
    install_stop_handlers();
    if (command_line.options.timeout_seconds) arm_timeout(*command_line.options.timeout_seconds);
    return run_receiver(command_line.options);
}
