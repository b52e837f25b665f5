// tavlo_cli: the command-line parser that every program of the project uses.
#include "command_line.h"

#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "option_listings.h"
#include "standard_output.h"

namespace tavlo::cli {

namespace {

// getopt_long's table: the program's rows, then --help, --version and
// --completion-data.
std::vector<option> getopt_table(const std::vector<Option> &options) {
    std::vector<option> table;
    for (const Option &row : options) {
        table.push_back({row.name, row.takes_value ? required_argument : no_argument, nullptr, 0});
    }
    table.push_back({"help", no_argument, nullptr, 0});
    table.push_back({"version", no_argument, nullptr, 0});
    table.push_back({"completion-data", no_argument, nullptr, 0});
    table.push_back({nullptr, 0, nullptr, 0});
    return table;
}

// An option word as written, up to its "=": "--port" of "--port=0".
std::string written_name(const char *word) {
    const bool long_option = std::strncmp(word, "--", 2) == 0 && word[2] != '\0';
    const char *equals = long_option ? std::strchr(word + 3, '=') : nullptr;
    return equals != nullptr ? std::string(word, equals) : std::string(word);
}

// The row named in full by `written`; getopt_long also takes a name's
// unique beginning, which a later option could make ambiguous.
std::optional<std::size_t> row_named(const std::vector<option> &table, const std::string &written) {
    if (written.rfind("--", 0) != 0) return std::nullopt;
    for (std::size_t row = 0; table[row].name != nullptr; ++row) {
        if (written.compare(2, std::string::npos, table[row].name) == 0) return row;
    }
    return std::nullopt;
}

}  // namespace

Parsed read_options(const Program &program, const std::vector<Option> &options, int argc,
                    char **argv) {
    const std::vector<option> table = getopt_table(options);
    const std::size_t help_row = options.size();
    const std::size_t version_row = help_row + 1;
    const std::size_t completion_row = help_row + 2;
    Parsed parsed;
    optind = 0;  // a fresh start, also for another command line in the same process
    opterr = 0;  // the error lines are ours
    for (;;) {
        const int word = std::max(optind, 1);
        // "+": stop at the first operand; ":": a missing value gives ':'.
        const int found = getopt_long(argc, argv, "+:", table.data(), nullptr);
        if (found == -1) break;
        const std::string written = written_name(argv[word]);
        const std::optional<std::size_t> row = row_named(table, written);
        std::string problem;
        if (!row) {
            problem = "unknown option";
        } else if (found == '?' || (found == ':' && table[*row].has_arg == no_argument)) {
            // A value given to a flag: glibc's getopt_long says '?', the
            // BSD one of MinGW-w64 ':'.
            problem = "takes no value";
        } else if (found == ':') {
            problem = "needs a value";
        } else if (*row == help_row) {
            parsed.stop = Stop{0, help_text(program, options), program.name};
            return parsed;
        } else if (*row == version_row) {
            parsed.stop =
                Stop{0, std::string(program.name) + " " + TAVLO_VERSION + "\n", program.name};
            return parsed;
        } else if (*row == completion_row) {
            parsed.stop = Stop{0, completion_data(program, options), program.name};
            return parsed;
        } else {
            problem = options[*row].action(optarg);
        }
        if (!problem.empty()) {
            parsed.stop = usage_error(program, written, problem);
            return parsed;
        }
    }
    parsed.operands = std::max(optind, 1);
    return parsed;
}

Parsed read_options_alone(const Program &program, const std::vector<Option> &options, int argc,
                          char **argv) {
    Parsed parsed = read_options(program, options, argc, argv);
    if (!parsed.stop && parsed.operands < argc) {
        parsed.stop = usage_error(program, argv[parsed.operands], "unexpected argument");
    }
    return parsed;
}

Stop usage_error(const Program &program, const std::string &subject, const std::string &problem) {
    return Stop{kExitUsage, std::string(program.name) + ": " + subject + ": " + problem + "\n",
                program.name};
}

int finish(const Stop &stop) {
    if (stop.status != 0) {
        std::fputs(stop.text.c_str(), stderr);
        return stop.status;
    }
    // A text longer than the stream's buffer is written while it is put:
    // the reason of a failed write is known only then.
    errno = 0;
    if (std::fputs(stop.text.c_str(), stdout) == EOF) {
        return report_output_failure(stop.program, errno);
    }
    return close_standard_output(stop.program, stop.status);
}

}  // namespace tavlo::cli
