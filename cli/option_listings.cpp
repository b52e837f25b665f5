// What a program's table of options says of itself: the text of --help,
// and the rows of the bash completion.
#include "option_listings.h"

#include <algorithm>
#include <string_view>

namespace tavlo::cli {

namespace {

constexpr std::size_t kWidth = 79;  // the longest line of --help
// A "--name VALUE" longer than this stands on a line of its own, its
// description below it, so that the others' column stays narrow.
constexpr std::size_t kLongestBeside = 20;

// Appends `text` to `out`, whose last line has `column` characters, word by
// word, going on at `indent` spaces on a new line before a word that would
// pass kWidth; then ends the line. A word longer than a line has one alone.
void append_wrapped(std::string &out, std::string_view text, std::size_t column,
                    std::size_t indent) {
    bool line_has_word = false;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view word = text.substr(0, space);
        text.remove_prefix(space == std::string_view::npos ? text.size() : space + 1);
        if (word.empty()) continue;
        if (line_has_word && column + 1 + word.size() > kWidth) {
            out += '\n';
            out.append(indent, ' ');
            column = indent;
        } else if (line_has_word) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
        line_has_word = true;
    }
    out += '\n';
}

// One line of the options in --help, before its description is wrapped.
struct Listed {
    std::string invocation;  // "--name VALUE"
    const char *description;
    const char *heading;
};

// The program's rows, with --help, --version and, where the program lists
// it, "--" closing the first group.
std::vector<Listed> listed_options(const Program &program, const std::vector<Option> &options) {
    std::vector<Listed> listed;
    for (const Option &row : options) {
        std::string invocation = std::string("--") + row.name;
        if (row.value_name != nullptr) invocation += std::string(" ") + row.value_name;
        listed.push_back({invocation, row.description, row.heading});
    }
    const auto first_group_end =
        std::find_if(listed.begin(), listed.end(), [](const Listed &line) { return line.heading; });
    std::vector<Listed> common = {{"--help", "print this text", nullptr},
                                  {"--version", "print the version", nullptr}};
    if (program.lists_end_of_options) common.push_back({"--", "end of options", nullptr});
    listed.insert(first_group_end, common.begin(), common.end());
    return listed;
}

void append_options(std::string &out, const Program &program, const std::vector<Option> &options) {
    if (options.empty()) return;
    const std::vector<Listed> listed = listed_options(program, options);
    std::size_t widest = 0;
    for (const Listed &line : listed) {
        if (line.invocation.size() <= kLongestBeside) {
            widest = std::max(widest, line.invocation.size());
        }
    }
    const std::size_t column = 2 + widest + 2;
    for (const Listed &line : listed) {
        if (line.heading != nullptr) {
            out += '\n';
            append_wrapped(out, line.heading, 0, 0);
        }
        out += "  " + line.invocation;
        if (line.invocation.size() > widest) {
            out += '\n';
            out.append(column, ' ');
        } else {
            out.append(column - 2 - line.invocation.size(), ' ');
        }
        append_wrapped(out, line.description != nullptr ? line.description : "", column, column);
    }
}

void append_exit_statuses(std::string &out, const std::vector<ExitStatus> &statuses) {
    if (statuses.empty()) return;
    std::size_t widest = 0;
    for (const ExitStatus &row : statuses) {
        widest = std::max(widest, std::to_string(row.status).size());
    }
    out += "\nExit status:\n";
    for (const ExitStatus &row : statuses) {
        const std::string number = std::to_string(row.status);
        out.append(2 + widest - number.size(), ' ');
        out += number + "  ";
        append_wrapped(out, row.meaning, 2 + widest + 2, 2 + widest + 2);
    }
}

}  // namespace

std::string help_text(const Program &program, const std::vector<Option> &options) {
    std::string out = program.usage;
    append_options(out, program, options);
    out += program.after;
    append_exit_statuses(out, program.exit_statuses);
    return out;
}

std::string completion_data(const Program &program, const std::vector<Option> &options) {
    const std::string name = program.name;
    std::string names;
    std::string values;
    for (const Option &row : options) {
        names += std::string("--") + row.name + " ";
        if (!row.takes_value) continue;
        std::string offer = row.complete_files  ? "files"
                            : row.words.empty() ? "nothing"
                            : row.items         ? "items"
                                                : "words";
        for (const std::string &word : row.words) offer += " " + word;
        values += "_tavlo_values[" + name + " --" + row.name + "]='" + offer + "'\n";
    }
    return "_tavlo_options[" + name + "]='" + names + "--help --version --'\n" + values;
}

}  // namespace tavlo::cli
