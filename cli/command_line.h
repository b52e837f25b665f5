// tavlo_cli: the command-line parser that every program of the project uses:
// a table of options read with getopt_long, --help and --version for all,
// and one-line errors with exit status 2. The rows of the table also carry
// what --help and the bash completion say of each option.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavlo::cli {

// What an option does with its value (null for an option that takes none).
// Returns "" when the value was taken, else the problem, which the error
// line shows after "PROGRAM: --NAME: ".
using Action = std::function<std::string(const char *value)>;

// One row of a program's table of options, made by the functions of
// option_rows.h and described with the calls below, as in
//   cli::text("record", path).help("FILE", "also write ...").files()
struct Option {
    Option(const char *option_name, bool with_value, Action take)
        : name(option_name), takes_value(with_value), action(std::move(take)) {}

    const char *name;  // without the leading "--"
    bool takes_value;
    Action action;
    const char *value_name = nullptr;   // FILE, N, ...: the value in --help
    const char *description = nullptr;  // what the option does, wrapped by --help
    const char *heading = nullptr;      // a paragraph that starts a new group in --help
    // What the completion offers for the value: `words`, each item of a
    // comma list being one of them when `items`, or files.
    std::vector<std::string> words;
    bool items = false;
    bool complete_files = false;

    // The help of an option that takes no value, and of one that does.
    Option help(const char *text) &&;
    Option help(const char *value, const char *text) &&;
    // In --help, the paragraph before this row, which starts a new group.
    Option after_paragraph(const char *paragraph) &&;
    // The completion of the value: files, or one of `choices`.
    Option files() &&;
    Option offers(std::vector<std::string> choices) &&;
};

// One row of a program's exit statuses, listed at the end of --help.
struct ExitStatus {
    int status;
    const char *meaning;
};

// What --help says besides the rows: `usage`, the options, `after`, then
// "Exit status:" and the statuses. A program with no options of its own
// lists none (its usage line names --help and --version).
struct Program {
    const char *name;        // in error lines and in the --version line
    const char *usage;       // the usage line and the paragraphs before the options
    const char *after = "";  // the paragraphs after the options
    std::vector<ExitStatus> exit_statuses = {};
    bool lists_end_of_options = false;  // "--" after --help and --version
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
// written in full; --help and --version belong to every program, and so
// does --completion-data, which --help does not name: it prints the rows
// for the bash completion that the build writes. Reading
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
