// Tag value report: one block of lines per tag of a received message.
#include <cstdio>

#include "report_writer.h"
#include "tavlo_testsupport.h"
#include "value_lines.h"

using namespace tavlo::ts;

namespace {

void write_tag_values(ReportWriter &out, const char *names, const TypeDescriptor *descriptors,
                      const unsigned char *value, const TagStatus *statuses,
                      const TimeRecord *timestamps, int32_t count) {
    const char *name = names;
    for (int32_t k = 0; k < count; ++k) {
        const int length = name_length(name, tag_name_stride);
        if (count < 2) {
            out.text("\nTagname : ");
        } else {
            out.text("\nTagname [");
            out.integer(k + 1);
            out.text("]: ");
        }
        if (name != nullptr) out.text({name, static_cast<std::size_t>(length)});
        if (descriptors != nullptr) {
            const TypeDescriptor &descriptor = descriptors[k + 1];
            write_type_line(out, descriptor.data_type);
            write_device_type_text(out, descriptor.device_data_type);
            if (value != nullptr) {
                if (!write_value(out, descriptor.data_type, descriptor.size, value)) return;
                value += value_step(descriptor.size);
            }
        }
        if (timestamps != nullptr) {
            write_time_line(out, "\nTimestamp: ", "\nInvalid timestamp", timestamps[k]);
        }
        if (statuses != nullptr) write_tag_status(out, statuses[k]);
        if (name != nullptr && tag_name_stride > 0) name += tag_name_stride;
        out.text("\n");
    }
}

}  // namespace

extern "C" void print_tag_values(const char *names, const TypeDescriptor *descriptors,
                                 const void *values, const TagStatus *statuses,
                                 const TimeRecord *timestamps, int32_t count) {
    ReportWriter out(stdout);
    write_tag_values(out, names, descriptors, static_cast<const unsigned char *>(values), statuses,
                     timestamps, count);
}
