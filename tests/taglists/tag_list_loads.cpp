// Runs the loaders on files the tests write, with outputs filled with what
// no load writes, so that what a load leaves alone shows.
#include "tag_list_loads.h"

#include <functional>

#include "console_capture.h"

namespace tavlo::testing {

LoadResult::LoadResult(int32_t count)
    : names(static_cast<std::size_t>(count) * 256, kFill),
      descriptors(static_cast<std::size_t>(count) + 1, kUntouchedDescriptor),
      values(static_cast<std::size_t>(count) * 1200, kUntouchedByte),
      output_types(static_cast<std::size_t>(count), kUntouchedOutputType),
      deadbands(static_cast<std::size_t>(count), kUntouchedDeadband),
      value_counts(static_cast<std::size_t>(count), kUntouchedValueCount),
      block(dirty_block()) {}

namespace {

// The outputs that `given` hands a loader.
struct GivenOutputs {
    char *names;
    TypeDescriptor *descriptors;
    void *values;
    OutputType *output_types;
    Deadband *deadbands;
};

GivenOutputs outputs_of(LoadResult &result, Given given) {
    const bool output_types = given == Given::kValues || given == Given::kOutputTypesWithoutValues;
    return {result.names.data(), given == Given::kNamesOnly ? nullptr : result.descriptors.data(),
            given == Given::kValues ? result.values.data() : nullptr,
            output_types ? result.output_types.data() : nullptr,
            given == Given::kDeadbands ? result.deadbands.data() : nullptr};
}

// Runs a path load with kWaitingInput at standard input; keeps what it
// printed and left unread.
void capture_path_load(LoadResult &result, const std::function<void()> &load) {
    ConsoleCapture capture(kWaitingInput);
    load();
    result.printed = capture.output();
    result.unread_input = capture.unread_input();
}

}  // namespace

void run_load(LoadResult &result, Given given, const std::string &answer, int32_t count) {
    const GivenOutputs o = outputs_of(result, given);
    result.printed = capture_stdout(
        [&] {
            load_tag_list(o.names, o.descriptors, o.values, o.output_types, o.deadbands, count,
                          &result.block);
        },
        answer);
}

void run_path_load(LoadResult &result, Given given, const char *path, int32_t count) {
    const GivenOutputs o = outputs_of(result, given);
    capture_path_load(result, [&] {
        result.loaded = load_tag_list_file(path, o.names, o.descriptors, o.values, o.output_types,
                                           o.deadbands, count, &result.block, &result.error_line);
    });
}

void run_historical_path_load(LoadResult &result, const char *path, int32_t count) {
    capture_path_load(result, [&] {
        result.loaded = load_historical_tag_list_file(
            path, result.names.data(), result.descriptors.data(), result.value_counts.data(), count,
            &result.block, &result.error_line);
    });
}

void run_historical_load(LoadResult &result, const std::string &answer, int32_t count) {
    result.printed = capture_stdout(
        [&] {
            load_historical_tag_list(result.names.data(), result.descriptors.data(),
                                     result.value_counts.data(), count, &result.block);
        },
        answer);
}

LoadResult load_list(Given given, const std::string &content, int32_t count) {
    const TagListFile file(content);
    LoadResult result(count);
    run_load(result, given, file.answer(), count);
    return result;
}

LoadResult load_historical_list(const std::string &content, int32_t count) {
    const TagListFile file(content);
    LoadResult result(count);
    run_historical_load(result, file.answer(), count);
    return result;
}

std::string untouched_names(int32_t count) {
    return std::string(static_cast<std::size_t>(count) * 256, kFill);
}

}  // namespace tavlo::testing
