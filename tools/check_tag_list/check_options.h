// The command line of tavlo_check_tag_list.
#pragma once

#include <cstdint>
#include <optional>

#include "command_line.h"

namespace tavlo::check {

constexpr char kProgramName[] = "tavlo_check_tag_list";

// Which loader, and which outputs it is given: they select the line format.
enum class ListFormat { kNames, kTypes, kValues, kDeadbands, kHistorical };

struct CheckOptions {
    ListFormat format = ListFormat::kTypes;
    int32_t count = 0;
    const char *file = nullptr;  // null: the loader asks at the console
};

struct ParsedCommandLine {
    CheckOptions options;
    std::optional<cli::Stop> stop;  // --help, --version or a bad command line
};

// The largest number of tags that can be asked for.
constexpr int32_t kMostTags = 1000000;

ParsedCommandLine parse_command_line(int argc, char **argv);

}  // namespace tavlo::check
