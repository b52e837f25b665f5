// The receiver's command line.
#include "options.h"

#include <limits>
#include <vector>

#include "option_rows.h"

namespace tavlo::receiver {

namespace {

constexpr char kHelpText[] =
    "Usage: tavlo_t_receiver [options] device_name [app_id]\n"
    "\n"
    "Connects to a device through the TAVLO client library and prints every\n"
    "get, put, declare, cancel and unsolicited-values message it sends.\n"
    "The application id is TAVLOUNSOL unless one is given; names longer than\n"
    "31 characters are cut.\n"
    "\n"
    "Options (before the device name):\n"
    "  --count N      stop after N message reports\n"
    "  --timeout S    stop after S seconds (a decimal number)\n"
    "  --record FILE  also write every message read, of every kind, to FILE in\n"
    "                 the script format of tavlo_devsim, which replays it\n"
    "  --append       add to a FILE that exists\n"
    "  --force        replace a FILE that exists\n"
    "  --help         print this text\n"
    "  --version      print the version\n"
    "  --             end of options\n"
    "\n"
    "SIGINT, SIGTERM and SIGHUP stop the receiver cleanly, as do --count and\n"
    "--timeout, within about a second even while its output waits for a\n"
    "reader (the report being written may then be cut). A failed connect or\n"
    "read is said on standard error; a read that found no message is not.\n"
    "\n"
    "Exit status:\n"
    "  0  stopped as asked (signal, --count, --timeout, output pipe closed)\n"
    "  1  the client library could not be initialised\n"
    "  2  usage: no device name, an empty one, or a bad option\n"
    "  3  --timeout ran out before the --count reports were printed\n"
    "  4  standard output could not be written\n"
    "  5  the --record FILE could not be opened or written\n";

constexpr cli::Program kProgram = {kProgramName, kHelpText};
constexpr double kShortestTimeout = 0.001;
constexpr double kLongestTimeout = 1e7;  // about 115 days

}  // namespace

ParsedCommandLine parse_command_line(int argc, char **argv) {
    ParsedCommandLine result;
    Options &o = result.options;
    const std::vector<cli::Option> options = {
        cli::whole("count", o.count, 1, std::numeric_limits<int64_t>::max()),
        cli::decimal("timeout", o.timeout_seconds, kShortestTimeout, kLongestTimeout),
        cli::text("record", o.record_path),
        cli::flag("append", o.append),
        cli::flag("force", o.force),
    };
    const cli::Parsed parsed = cli::read_options(kProgram, options, argc, argv);
    result.stop = parsed.stop;
    int i = parsed.operands;
    if (i < argc) o.device = argv[i++];
    if (i < argc) o.app_id = argv[i++];
    if (!result.stop && o.device != nullptr && *o.device == '\0') {
        result.stop = cli::usage_error(kProgram, "device_name", "is empty");
    }
    if (!result.stop && (o.append || o.force) && o.record_path.empty()) {
        result.stop =
            cli::usage_error(kProgram, o.append ? "--append" : "--force", "needs --record");
    }
    if (!result.stop && o.append && o.force) {
        result.stop = cli::usage_error(kProgram, "--force", "contradicts --append");
    }
    return result;
}

}  // namespace tavlo::receiver
