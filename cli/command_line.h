// tavlo_cli: the command-line parser that every program of the project uses:
// a table of options read with getopt_long, --help and --version for all,
// and one-line errors with exit status 2.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavlo::cli {

// What an option does with its value (null for an option that takes none).
// Returns "" when the value was taken, else the problem, which the error
// line shows after "PROGRAM: --NAME: ".
using Action = std::function<std::string(const char *value)>;

// One row of a program's table of options.
struct Option {
    const char *name;  // without the leading "--"
    bool takes_value;
    Action action;
};

struct Program {
    const char *name;  // in error lines and in the --version line
    const char *help;  // the text of --help
};

constexpr int kExitUsage = 2;

// The end of a program before its work: after --help or --version, status 0
// and the text for standard output; after a bad command line, kExitUsage and
// one line for standard error.
struct Stop {
    int status = 0;
    std::string text;
    const char *program = "";  // the name of the program that stops
};

struct Parsed {
    int operands = 1;  // argv index of the first word after the options
    std::optional<Stop> stop;
};

// Reads the options of argv: "--name value" and "--name=value", the name
// written in full; --help and --version belong to every program. Reading
// ends at the first word that is not an option, where the operands start,
// or after "--". The first bad option stops it with its error line.
Parsed read_options(const Program &program, const std::vector<Option> &options, int argc,
                    char **argv);

// The same for a program that takes no operands: a word after the options
// is an error too.
Parsed read_options_alone(const Program &program, const std::vector<Option> &options, int argc,
                          char **argv);

// The stop for a bad command line: "PROGRAM: SUBJECT: PROBLEM\n".
Stop usage_error(const Program &program, const std::string &subject, const std::string &problem);

// Writes the stop's text where it belongs and returns its status, or
// kExitOutputFailed when the text for standard output could not be written.
int finish(const Stop &stop);

}  // namespace tavlo::cli
