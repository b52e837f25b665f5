// Loads a tag-list file with one of the loaders and prints what came of it.
#include "tag_list_check.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "tavlo_testsupport.h"

namespace tavlo::check {

namespace {

constexpr std::size_t kFullNameEntry = 256;
constexpr std::size_t kLargestValue = 1200;

// The outputs of a load, as large as the loaders need them for `count`, and
// never empty: a loader is given an array even for 0 tags.
struct TagList {
    explicit TagList(int32_t count)
        : tags(static_cast<std::size_t>(count)),
          names(entries() * kFullNameEntry, '\0'),
          descriptors(tags + 1, TypeDescriptor{}),
          // Pages that the loader does not write are never touched.
          values(static_cast<unsigned char *>(std::calloc(entries() * kLargestValue, 1))),
          output_types(entries(), 0),
          deadbands(entries(), Deadband{}),
          value_counts(entries(), 0) {}

    std::size_t entries() const { return std::max<std::size_t>(tags, 1); }

    struct Free {
        void operator()(unsigned char *bytes) const { std::free(bytes); }
    };

    std::size_t tags;
    std::vector<char> names;
    std::vector<TypeDescriptor> descriptors;
    std::unique_ptr<unsigned char, Free> values;
    std::vector<OutputType> output_types;
    std::vector<Deadband> deadbands;
    std::vector<int32_t> value_counts;
};

const char *load_error_text(int32_t code) {
    switch (code) {
        case TAVLO_LOAD_OPEN_FAILED: return "the file cannot be opened";
        case TAVLO_LOAD_BAD_DEADBAND_TYPE: return "a deadband type is neither ABS nor REL";
        case TAVLO_LOAD_NO_VALUE: return "a value is missing, or there is no value buffer";
        case TAVLO_LOAD_BAD_OUTPUT_TYPE: return "an output type is missing or unknown";
        case TAVLO_LOAD_BAD_SIZE: return "an ASCII size of 0 or below";
        case TAVLO_LOAD_BAD_TYPE: return "an unknown data type or device data type";
        case TAVLO_LOAD_TOO_MANY_TAGS: return "the file has fewer lines than COUNT";
        case TAVLO_LOAD_NO_MEMORY: return "no memory for the working copy of the names";
        case TAVLO_LOAD_NEGATIVE_COUNT: return "a negative count";
        default: return "not an error of a tag-list load";
    }
}

void load(ListFormat format, int32_t count, TagList &list, StatusBlock &block) {
    char *names = list.names.data();
    TypeDescriptor *descriptors = list.descriptors.data();
    switch (format) {
        case ListFormat::kNames:
            load_tag_list(names, nullptr, nullptr, nullptr, nullptr, count, &block);
            break;
        case ListFormat::kTypes:
            load_tag_list(names, descriptors, nullptr, nullptr, nullptr, count, &block);
            break;
        case ListFormat::kValues:
            load_tag_list(names, descriptors, list.values.get(), list.output_types.data(), nullptr,
                          count, &block);
            break;
        case ListFormat::kDeadbands:
            load_tag_list(names, descriptors, nullptr, nullptr, list.deadbands.data(), count,
                          &block);
            break;
        case ListFormat::kHistorical:
            load_historical_tag_list(names, descriptors, list.value_counts.data(), count, &block);
            break;
    }
}

// One line per tag: its size and what its format adds to it.
void print_settings(ListFormat format, const TagList &list) {
    std::printf("\n\nSizes and settings");
    for (std::size_t k = 0; k < list.tags; ++k) {
        std::printf("\n[%zu] size=%d", k + 1, list.descriptors[k + 1].size);
        switch (format) {
            case ListFormat::kValues: std::printf("  output type=%d", list.output_types[k]); break;
            case ListFormat::kDeadbands:
                std::printf("  deadband type=%d value=%f", list.deadbands[k].type,
                            static_cast<double>(list.deadbands[k].value));
                break;
            case ListFormat::kHistorical:
                std::printf("  value count=%d", list.value_counts[k]);
                break;
            default: break;
        }
    }
}

}  // namespace

bool check_tag_list(ListFormat format, int32_t count) {
    TagList list(count);
    if (!list.values) {
        std::printf("\nNo memory for %d tags\n", count);
        return false;
    }
    StatusBlock block{};
    load(format, count, list, block);
    if (block.error[0] > 0) {
        std::printf("\n\nLoad failed: facility=%d  Error=%d (%s)\n", block.facility[0],
                    block.error[0], load_error_text(block.error[0]));
        return false;
    }
    std::printf("\n\nLoaded without error: count=%d  tag_name_stride=%d\n", count, tag_name_stride);
    const bool with_types = format != ListFormat::kNames;
    const void *values = format == ListFormat::kValues ? list.values.get() : nullptr;
    print_tag_values(list.names.data(), with_types ? list.descriptors.data() : nullptr, values,
                     nullptr, nullptr, count);
    if (with_types) print_settings(format, list);
    std::printf("\n");
    return true;
}

}  // namespace tavlo::check
