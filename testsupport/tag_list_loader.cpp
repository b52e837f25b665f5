// load_tag_list: a list of tags from a tag-list file in one of four line
// formats.
#include "tag_list_loader.h"

#include "loaded_names.h"
#include "tag_list_load.h"
#include "type_descriptors.h"

namespace tavlo::ts {

void read_tag_list(std::FILE *file, const TagListOutputs &outputs, int32_t count,
                   CompactNames &working_copy, StatusBlock *block) {
    if (outputs.descriptors != nullptr) {
        outputs.descriptors[0] = descriptor_header(count);
    }
    LoadedNames names(outputs.names, working_copy);
    TagListLines lines(outputs, names, block);
    int32_t slot = 0;
    TagLine line;
    for (; slot < count && read_tag_line(file, line); ++slot) {
        if (!lines.handle(slot, line)) return;
    }
    names.rewrite_if_short();
    if (slot < count) fail_too_many_tags(block);
}

}  // namespace tavlo::ts

extern "C" void load_tag_list(char *names, TypeDescriptor *descriptors, void *values,
                              OutputType *output_types, Deadband *deadbands, int32_t count,
                              StatusBlock *status_block) {
    const tavlo::ts::TagListOutputs outputs{names, descriptors, values, output_types, deadbands};
    tavlo::ts::run_tag_list_load(
        count, status_block, [&](std::FILE *file, tavlo::ts::CompactNames &working_copy) {
            tavlo::ts::read_tag_list(file, outputs, count, working_copy, status_block);
        });
}
