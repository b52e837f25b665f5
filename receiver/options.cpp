// The receiver's command line.
#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tavlo::receiver {

const char *const kHelpText =
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
    "  --help         print this text\n"
    "  --version      print the version\n"
    "  --             end of options\n"
    "\n"
    "SIGINT and SIGTERM stop the receiver cleanly, as do --count and --timeout.\n"
    "\n"
    "Exit status:\n"
    "  0  stopped as asked (signal, --count, --timeout, output pipe closed)\n"
    "  1  the client library could not be initialised\n"
    "  2  usage: no device name, or a bad option\n"
    "  3  --timeout ran out before the --count reports were printed\n";

namespace {

constexpr double kLongestTimeout = 1e7;  // about 115 days

std::optional<int64_t> parse_count(const char *text) {
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1) return std::nullopt;
    return value;
}

std::optional<double> parse_seconds(const char *text) {
    errno = 0;
    char *end = nullptr;
    const double value = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(value) || value <= 0 ||
        value > kLongestTimeout) {
        return std::nullopt;
    }
    return value;
}

ParsedCommandLine error(std::string message) {
    ParsedCommandLine result;
    result.command = Command::kError;
    result.error = std::move(message);
    return result;
}

}  // namespace

ParsedCommandLine parse_command_line(int argc, char **argv) {
    ParsedCommandLine result;
    int i = 1;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; ++i) {
        const std::string word = argv[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (word == "--help") {
            result.command = Command::kHelp;
            return result;
        }
        if (word == "--version") {
            result.command = Command::kVersion;
            return result;
        }
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (name != "--count" && name != "--timeout") return error("unknown option '" + word + "'");
        const char *value = nullptr;
        if (equals != std::string::npos) {
            value = argv[i] + equals + 1;
        } else if (i + 1 < argc) {
            value = argv[++i];
        } else {
            return error("option '" + name + "' needs a value");
        }
        if (name == "--count") {
            result.options.count = parse_count(value);
            if (!result.options.count) {
                return error("--count needs a whole number of 1 or more, not '" +
                             std::string(value) + "'");
            }
        } else {
            result.options.timeout_seconds = parse_seconds(value);
            if (!result.options.timeout_seconds) {
                return error("--timeout needs a number of seconds above 0, not '" +
                             std::string(value) + "'");
            }
        }
    }
    if (i < argc) result.options.device = argv[i++];
    if (i < argc) result.options.app_id = argv[i++];
    return result;
}

}  // namespace tavlo::receiver
