// The receiver's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tavlo::receiver {

struct Options {
    const char *device = nullptr;  // null: print the usage line
    const char *app_id = nullptr;  // null: the default application id
    std::optional<int64_t> count;  // stop after this many message reports
    std::optional<double> timeout_seconds;
};

enum class Command { kRun, kHelp, kVersion, kError };

struct ParsedCommandLine {
    Command command = Command::kRun;
    Options options;
    std::string error;  // for kError
};

// Options come before the device name; "--" ends them. Words after the
// application id are ignored.
ParsedCommandLine parse_command_line(int argc, char **argv);

// The text of --help.
extern const char *const kHelpText;

}  // namespace tavlo::receiver
