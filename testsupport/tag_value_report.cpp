// Tag value report: one block of lines per tag of a received message.
#include <cstdio>

#include "tavlo_testsupport.h"
#include "value_lines.h"

using namespace tavlo::ts;

extern "C" void print_tag_values(const char *names, const TypeDescriptor *descriptors,
                                 const void *values, const TagStatus *statuses,
                                 const TimeRecord *timestamps, int32_t count) {
    const char *name = names;
    const auto *value = static_cast<const unsigned char *>(values);
    for (int32_t k = 0; k < count; ++k) {
        const int length = name_length(name, tag_name_stride);
        const char *text = name != nullptr ? name : "";
        if (count < 2) {
            std::printf("\nTagname : %.*s", length, text);
        } else {
            std::printf("\nTagname [%d]: %.*s", k + 1, length, text);
        }
        if (descriptors != nullptr) {
            const TypeDescriptor &descriptor = descriptors[k + 1];
            print_type_line(descriptor.data_type);
            print_device_type_text(descriptor.device_data_type);
            if (value != nullptr) {
                if (!print_value(descriptor.data_type, descriptor.size, value)) return;
                value += value_step(descriptor.size);
            }
        }
        if (timestamps != nullptr) {
            print_time_line("\nTimestamp: ", "\nInvalid timestamp", timestamps[k]);
        }
        if (statuses != nullptr) print_tag_status(&statuses[k]);
        if (name != nullptr && tag_name_stride > 0) name += tag_name_stride;
        std::printf("\n");
    }
}
