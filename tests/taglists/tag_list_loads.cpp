// Runs the loaders on files the tests write, with outputs filled with what
// no load writes, so that what a load leaves alone shows.
#include "tag_list_loads.h"

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

void run_load(LoadResult &result, Given given, const std::string &answer, int32_t count) {
    char *names = result.names.data();
    TypeDescriptor *descriptors = given == Given::kNamesOnly ? nullptr : result.descriptors.data();
    void *values = given == Given::kValues ? result.values.data() : nullptr;
    OutputType *output_types = given == Given::kValues || given == Given::kOutputTypesWithoutValues
                                   ? result.output_types.data()
                                   : nullptr;
    Deadband *deadbands = given == Given::kDeadbands ? result.deadbands.data() : nullptr;
    result.printed = capture_stdout(
        [&] {
            load_tag_list(names, descriptors, values, output_types, deadbands, count,
                          &result.block);
        },
        answer);
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
