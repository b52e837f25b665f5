// The blocks of lines of the tag value report, one per tag, for all tags of
// a message or for a chosen few.
#include "tag_blocks.h"

#include "value_lines.h"

namespace tavlo::ts {

namespace {

bool ends_report(const TagArrays &tags, int32_t k) {
    return tags.values != nullptr && tags.descriptors != nullptr &&
           data_type_name(tags.descriptors[k + 1].data_type).empty();
}

// One tag's block. Returns false after "\nUnknown data type": the report
// ends there.
bool write_tag_block(ReportWriter &out, const TagArrays &tags, int32_t k, const char *name,
                     int32_t name_stride, const unsigned char *value) {
    if (tags.count < 2) {
        out.text("\nTagname : ");
    } else {
        out.text("\nTagname [");
        out.integer(k + 1);
        out.text("]: ");
    }
    if (name != nullptr) out.text({name, static_cast<std::size_t>(name_length(name, name_stride))});
    if (tags.descriptors != nullptr) {
        const TypeDescriptor &descriptor = tags.descriptors[k + 1];
        write_type_line(out, descriptor.data_type);
        write_device_type_text(out, descriptor.device_data_type);
        if (value != nullptr && !write_value(out, descriptor.data_type, descriptor.size, value)) {
            return false;
        }
    }
    if (tags.timestamps != nullptr) {
        write_time_line(out, "\nTimestamp: ", "\nInvalid timestamp", tags.timestamps[k]);
    }
    if (tags.statuses != nullptr) write_tag_status(out, tags.statuses[k]);
    out.text("\n");
    return true;
}

}  // namespace

int32_t reported_tags(const TagArrays &tags) {
    for (int32_t k = 0; k < tags.count; ++k) {
        if (ends_report(tags, k)) return k + 1;
    }
    return tags.count;
}

void write_tag_blocks(ReportWriter &out, const TagArrays &tags, int32_t name_stride,
                      const unsigned char *shown) {
    const char *name = tags.names;
    const unsigned char *value = tags.values;
    for (int32_t k = 0; k < tags.count; ++k) {
        if (shown == nullptr || shown[k] != 0) {
            if (!write_tag_block(out, tags, k, name, name_stride, value)) return;
        } else if (ends_report(tags, k)) {
            return;
        }
        // Values move on only where the report reads them: with descriptors.
        if (value != nullptr && tags.descriptors != nullptr) {
            value += value_step(tags.descriptors[k + 1].size);
        }
        if (name != nullptr && name_stride > 0) name += name_stride;
    }
}

}  // namespace tavlo::ts
