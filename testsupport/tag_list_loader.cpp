// load_tag_list and load_tag_list_file: a list of tags from a tag-list file
// in one of four line formats.
#include "tag_list_loader.h"

#include "loaded_names.h"
#include "tag_arrays.h"

namespace tavlo::ts {

int32_t read_tag_list(std::FILE *file, LoadCall call, const TagListOutputs &outputs, int32_t count,
                      CompactNames &working_copy, LoadErrors &errors) {
    LoadedNames names(outputs.names, working_copy);
    TagListLines lines(outputs, names, errors);
    const int32_t filled =
        read_tag_lines(file, call, count, errors,
                       [&](int32_t slot, const char *line) { return lines.handle(slot, line); });
    const bool console = call == LoadCall::kConsole;
    if (outputs.descriptors != nullptr) {
        outputs.descriptors[0] = descriptor_header(console ? count : filled);
    }
    if (errors.failed()) return filled;
    names.rewrite_if_short(console ? count : filled);
    if (console && filled < count) errors.fail_too_many_tags();
    return filled;
}

namespace {

int32_t load_tags(LoadCall call, const char *path, const TagListOutputs &outputs, int32_t count,
                  StatusBlock *block, int32_t *error_line) {
    return run_tag_list_load(call, path, count, block, error_line,
                             [&](std::FILE *file, CompactNames &working_copy, LoadErrors &errors) {
                                 return read_tag_list(file, call, outputs, count, working_copy,
                                                      errors);
                             });
}

}  // namespace

}  // namespace tavlo::ts

extern "C" void load_tag_list(char *names, TypeDescriptor *descriptors, void *values,
                              OutputType *output_types, Deadband *deadbands, int32_t count,
                              StatusBlock *status_block) {
    tavlo::ts::load_tags(tavlo::ts::LoadCall::kConsole, nullptr,
                         {names, descriptors, values, output_types, deadbands}, count, status_block,
                         nullptr);
}

extern "C" int32_t load_tag_list_file(const char *path, char *names, TypeDescriptor *descriptors,
                                      void *values, OutputType *output_types, Deadband *deadbands,
                                      int32_t count, StatusBlock *status_block,
                                      int32_t *error_line) {
    return tavlo::ts::load_tags(tavlo::ts::LoadCall::kPath, path,
                                {names, descriptors, values, output_types, deadbands}, count,
                                status_block, error_line);
}
