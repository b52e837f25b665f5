// The command line of tavlo_check_tag_list.
#include "check_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace tavlo::check {

const char *const kHelpText =
    "Usage: tavlo_check_tag_list [--help | --version] FORMAT COUNT [FILE]\n"
    "\n"
    "Loads a tag-list file of up to COUNT tags (0 to 1000000) with the\n"
    "test-support library's loaders and prints what they made of it: the\n"
    "tags through the tag value report, with their sizes and settings, or the\n"
    "error that ended the load. Without FILE the loader asks for the file\n"
    "name at the console; with FILE it is given as the answer.\n"
    "\n"
    "FORMAT (what the loader is given, which selects the tokens of a line):\n"
    "  names       name\n"
    "  types       name, data type, [device data type]\n"
    "  values      name, data type, value, output type, [device data type]\n"
    "  deadbands   name, data type, deadband type, deadband value,\n"
    "              [device data type]\n"
    "  historical  name, value count, data type, [ASCII size]\n"
    "\n"
    "Exit status:\n"
    "  0  the file was loaded without error\n"
    "  1  the load recorded an error\n"
    "  2  usage: a bad FORMAT or COUNT, or an unknown option\n";

namespace {

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

std::optional<int32_t> parse_count(const char *text) {
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0 || value > kMostTags) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
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
        return error("unknown option '" + word + "'");
    }
    if (argc - i < 2) return error("FORMAT and COUNT are needed");
    if (argc - i > 3) return error("too many arguments");
    const auto format = parse_format(argv[i]);
    if (!format) return error("unknown FORMAT '" + std::string(argv[i]) + "'");
    const auto count = parse_count(argv[i + 1]);
    if (!count) {
        return error("COUNT needs a whole number from 0 to 1000000, not '" +
                     std::string(argv[i + 1]) + "'");
    }
    result.options.format = *format;
    result.options.count = *count;
    if (argc - i == 3) result.options.file = argv[i + 2];
    return result;
}

}  // namespace tavlo::check
