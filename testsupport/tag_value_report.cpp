// Tag value report: one block of lines per tag of a received message.
#include <cstdio>

#include "report_lines.h"
#include "tavlo_testsupport.h"

extern "C" void print_tag_values(const char *names, const TypeDescriptor *descriptors,
                                 const void *values, const TagStatus *statuses,
                                 const TimeRecord *timestamps, int32_t count) {
    tavlo::ts::ReportWriter out(stdout);
    const tavlo::ts::TagArrays tags = {
        names,    descriptors, static_cast<const unsigned char *>(values),
        statuses, timestamps,  count};
    tavlo::ts::write_tag_blocks(out, tags, tag_name_stride, nullptr);
}
