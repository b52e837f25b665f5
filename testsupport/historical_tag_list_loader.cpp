// load_historical_tag_list and load_historical_tag_list_file: the tags of a
// historical read from a tag-list file, with their value counts and ASCII
// sizes.
#include "historical_tag_list_loader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "line_tokens.h"
#include "loaded_names.h"
#include "tag_arrays.h"

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
                          TypeDescriptor *descriptors, int32_t *value_counts, LoadErrors &errors) {
    LineTokens tokens(line);
    Field name, value_count, data_type, ascii_size;
    tokens.read(name);
    tokens.read(value_count);
    tokens.read(data_type);
    tokens.read(ascii_size);
    const int32_t type = data_type_from_keyword(data_type.text);
    if (type == -1) {
        errors.fail_data_type(name.text);
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
        errors.fail_for_tag(TAVLO_LOAD_BAD_SIZE, "\nError: Negative data size", name.text);
        return false;
    }
    if (size == 0) {
        errors.fail_for_tag(TAVLO_LOAD_BAD_SIZE, "\nError: Zero data size", name.text);
        return false;
    }
    descriptor.size = size;
    names.store(slot, name.text, name.length);
    value_counts[slot] = whole_number(value_count.text);
    return true;
}

}  // namespace

int32_t read_historical_tag_list(std::FILE *file, LoadCall call, char *names,
                                 TypeDescriptor *descriptors, int32_t *value_counts, int32_t count,
                                 CompactNames &working_copy, LoadErrors &errors) {
    LoadedNames loaded(names, working_copy);
    const int32_t filled =
        read_tag_lines(file, call, count, errors, [&](int32_t slot, const char *line) {
            return read_historical_line(line, slot, loaded, descriptors, value_counts, errors);
        });
    descriptors[0] = descriptor_header(call == LoadCall::kConsole ? count : filled);
    if (errors.failed()) return filled;
    if (call == LoadCall::kConsole && filled < count) {
        errors.fail_too_many_tags();
        return filled;
    }
    loaded.rewrite_if_short(filled);
    return filled;
}

namespace {

int32_t load_historical_tags(LoadCall call, const char *path, char *names,
                             TypeDescriptor *descriptors, int32_t *value_counts, int32_t count,
                             StatusBlock *block, int32_t *error_line) {
    return run_tag_list_load(call, path, count, block, error_line,
                             [&](std::FILE *file, CompactNames &working_copy, LoadErrors &errors) {
                                 return read_historical_tag_list(file, call, names, descriptors,
                                                                 value_counts, count, working_copy,
                                                                 errors);
                             });
}

}  // namespace

}  // namespace tavlo::ts

extern "C" void load_historical_tag_list(char *names, TypeDescriptor *descriptors,
                                         int32_t *value_counts, int32_t count,
                                         StatusBlock *status_block) {
    tavlo::ts::load_historical_tags(tavlo::ts::LoadCall::kConsole, nullptr, names, descriptors,
                                    value_counts, count, status_block, nullptr);
}

extern "C" int32_t load_historical_tag_list_file(const char *path, char *names,
                                                 TypeDescriptor *descriptors, int32_t *value_counts,
                                                 int32_t count, StatusBlock *status_block,
                                                 int32_t *error_line) {
    return tavlo::ts::load_historical_tags(tavlo::ts::LoadCall::kPath, path, names, descriptors,
                                           value_counts, count, status_block, error_line);
}
