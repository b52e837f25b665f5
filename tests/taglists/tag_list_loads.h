// Runs the loaders on files the tests write, with outputs filled with what
// no load writes, so that what a load leaves alone shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bytes.h"
#include "tag_list_test_files.h"
#include "tavlo_testsupport.h"

namespace tavlo::testing {

// What the outputs hold before a load.
constexpr char kFill = '#';
constexpr TypeDescriptor kUntouchedDescriptor{-9, -9, -9, -9};
constexpr unsigned char kUntouchedByte = 0xEE;
constexpr OutputType kUntouchedOutputType = -9;
constexpr Deadband kUntouchedDeadband{-9, -9.0f};
constexpr int32_t kUntouchedValueCount = -9;

// The outputs that load_tag_list is given select the line format.
enum class Given { kNamesOnly, kTypes, kValues, kDeadbands, kOutputTypesWithoutValues };

struct LoadResult {
    explicit LoadResult(int32_t count);

    std::string names;  // count x 256 bytes
    std::vector<TypeDescriptor> descriptors;
    std::vector<unsigned char> values;  // count x 1200 bytes
    std::vector<OutputType> output_types;
    std::vector<Deadband> deadbands;
    std::vector<int32_t> value_counts;
    StatusBlock block;
    std::string printed;
    // What a path load returned, the line of its error and what it left of
    // the line waiting at standard input.
    int32_t loaded = -9;
    int32_t error_line = -9;
    std::string unread_input;
};

// load_tag_list on a file holding `content`, its name typed at the prompt.
LoadResult load_list(Given given, const std::string &content, int32_t count);

// load_historical_tag_list likewise.
LoadResult load_historical_list(const std::string &content, int32_t count);

// Runs `load` on the outputs with `answer` typed at the prompt.
void run_load(LoadResult &result, Given given, const std::string &answer, int32_t count);
void run_historical_load(LoadResult &result, const std::string &answer, int32_t count);

// What a path load must leave unread at standard input.
inline const std::string kWaitingInput = "a line for the console loaders only\n";

// load_tag_list_file and load_historical_tag_list_file on the file at
// `path`, with kWaitingInput at standard input.
void run_path_load(LoadResult &result, Given given, const char *path, int32_t count);
void run_historical_path_load(LoadResult &result, const char *path, int32_t count);

// `count` untouched 256-byte entries.
std::string untouched_names(int32_t count);

}  // namespace tavlo::testing
