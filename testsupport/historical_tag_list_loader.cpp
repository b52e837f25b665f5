// load_historical_tag_list: the tags of a historical read from a tag-list
// file, with their value counts and ASCII sizes.
#include "historical_tag_list_loader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "line_tokens.h"
#include "loaded_names.h"
#include "tag_list_load.h"
#include "type_descriptors.h"

namespace tavlo::ts {

namespace {

// A decimal number as atoi reads it (0 when none leads the text), taken as
// the nearest 32-bit number when it is beyond 32 bits.
int32_t whole_number(const char *text) {
    const long long value = std::strtoll(text, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

// Stores the tag of one line into slot `slot`; false after its error.
bool read_historical_line(const char *line, int32_t slot, LoadedNames &names,
                          TypeDescriptor *descriptors, int32_t *value_counts, StatusBlock *block) {
    LineTokens tokens(line);
    Field name, value_count, data_type, ascii_size;
    tokens.read(name);
    tokens.read(value_count);
    tokens.read(data_type);
    tokens.read(ascii_size);
    const int32_t type = data_type_from_keyword(data_type.text);
    if (type == -1) {
        fail_data_type(name.text, block);
        return false;
    }
    TypeDescriptor &descriptor = descriptors[slot + 1];
    descriptor.data_type = static_cast<int16_t>(type);
    descriptor.device_data_type = TAVLO_TYPE_NONE;
    descriptor.element_count = 1;
    const int32_t size = type == TAVLO_TYPE_ASCII && !ascii_size.empty()
                             ? whole_number(ascii_size.text)
                             : data_type_size(type);
    if (size < 0) {
        std::printf("\nError: Negative data size for tag '%s'", name.text);
        record_load_error(block, TAVLO_LOAD_BAD_SIZE);
        return false;
    }
    if (size == 0) {
        std::printf("\nError: Zero data size for tag '%s'", name.text);
        record_load_error(block, TAVLO_LOAD_BAD_SIZE);
        return false;
    }
    descriptor.size = size;
    names.store(slot, name.text, name.length);
    value_counts[slot] = whole_number(value_count.text);
    return true;
}

}  // namespace

void read_historical_tag_list(std::FILE *file, char *names, TypeDescriptor *descriptors,
                              int32_t *value_counts, int32_t count, CompactNames &working_copy,
                              StatusBlock *block) {
    descriptors[0] = descriptor_header(count);
    LoadedNames loaded(names, working_copy);
    int32_t slot = 0;
    TagLine line;
    for (; slot < count && read_tag_line(file, line); ++slot) {
        if (!read_historical_line(line, slot, loaded, descriptors, value_counts, block)) return;
    }
    if (slot < count) {
        fail_too_many_tags(block);
        return;
    }
    loaded.rewrite_if_short();
}

}  // namespace tavlo::ts

extern "C" void load_historical_tag_list(char *names, TypeDescriptor *descriptors,
                                         int32_t *value_counts, int32_t count,
                                         StatusBlock *status_block) {
    tavlo::ts::run_tag_list_load(
        count, status_block, [&](std::FILE *file, tavlo::ts::CompactNames &working_copy) {
            tavlo::ts::read_historical_tag_list(file, names, descriptors, value_counts, count,
                                                working_copy, status_block);
        });
}
