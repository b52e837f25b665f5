// The command line of tavlo_check_tag_list.
#include "check_options.h"

#include <cstring>
#include <iterator>
#include <string>

#include "file_name_answer.h"
#include "number_reading.h"

namespace tavlo::check {

namespace {

constexpr char kUsage[] =
    "Usage: tavlo_check_tag_list [--help | --version] FORMAT COUNT [FILE]\n"
    "\n"
    "Loads the first COUNT lines of a tag-list file as COUNT tags (0 to\n"
    "1000000) with the test-support library's loaders and prints what they\n"
    "made of it: the tags through the tag value report, with their sizes and\n"
    "settings, or the error that ended the load. A file of fewer than COUNT\n"
    "lines fails the load (error 10007); lines after the first COUNT are not\n"
    "read. Without FILE the loader asks for the file name at the console;\n"
    "with FILE it is given the name and asks for nothing.\n"
    "\n"
    "FORMAT (what the loader is given, which selects the tokens of a line):\n"
    "  names       name\n"
    "  types       name, data type, [device data type]\n"
    "  values      name, data type, value, output type, [device data type]\n"
    "  deadbands   name, data type, deadband type, deadband value,\n"
    "              [device data type]\n"
    "  historical  name, value count, data type, [ASCII size]\n";

// The exit statuses that --help lists; each is an item of
// man/tavlo_check_tag_list.1 too, which a test checks.
const cli::Program kProgram = {
    kProgramName,
    kUsage,
    "",
    {
        {0, "the file was loaded without error"},
        {1, "the load recorded an error"},
        {2,
         "usage: a bad FORMAT or COUNT, a FILE that is a folder or has more than 255 "
         "characters, or an unknown option"},
        {4, "standard output could not be written"},
    }};

struct FormatName {
    const char *name;
    ListFormat format;
};

const FormatName kFormats[] = {{"names", ListFormat::kNames},
                               {"types", ListFormat::kTypes},
                               {"values", ListFormat::kValues},
                               {"deadbands", ListFormat::kDeadbands},
                               {"historical", ListFormat::kHistorical}};

std::optional<ListFormat> parse_format(const char *text) {
    for (const FormatName &entry : kFormats) {
        if (std::strcmp(text, entry.name) == 0) return entry.format;
    }
    return std::nullopt;
}

// "names, types, ... or historical".
std::string format_names() {
    std::string names;
    for (const FormatName &entry : kFormats) {
        if (!names.empty()) names += &entry == std::end(kFormats) - 1 ? " or " : ", ";
        names += entry.name;
    }
    return names;
}

// The operands FORMAT COUNT [FILE] into `options`, or what is wrong with them.
std::optional<cli::Stop> read_operands(int count, char **operands, CheckOptions &options) {
    if (count < 1) return cli::usage_error(kProgram, "FORMAT", "missing");
    if (count < 2) return cli::usage_error(kProgram, "COUNT", "missing");
    if (count > 3) return cli::usage_error(kProgram, operands[3], "unexpected argument");
    const auto format = parse_format(operands[0]);
    if (!format) return cli::usage_error(kProgram, "FORMAT", "expects " + format_names());
    int64_t tags = 0;
    const std::string problem = cli::read_whole_number(operands[1], 0, kMostTags, tags);
    if (!problem.empty()) return cli::usage_error(kProgram, "COUNT", problem);
    if (count == 3) {
        const std::string file_problem = file_name_problem(operands[2]);
        if (!file_problem.empty()) return cli::usage_error(kProgram, "FILE", file_problem);
        options.file = operands[2];
    }
    options.format = *format;
    options.count = static_cast<int32_t>(tags);
    return std::nullopt;
}

}  // namespace

ParsedCommandLine parse_command_line(int argc, char **argv) {
    ParsedCommandLine result;
    const cli::Parsed parsed = cli::read_options(kProgram, {}, argc, argv);
    result.stop = parsed.stop;
    if (!result.stop) {
        result.stop = read_operands(argc - parsed.operands, argv + parsed.operands, result.options);
    }
    return result;
}

}  // namespace tavlo::check
