// The blocks of lines of the tag value report, one per tag, for all tags of
// a message or for a chosen few.
#pragma once

#include <cstdint>

#include "report_writer.h"
#include "tavlo.h"

namespace tavlo::ts {

// The arrays of one message as the tag value report takes them; any but
// the names may be null.
struct TagArrays {
    const char *names;
    const TypeDescriptor *descriptors;
    const unsigned char *values;
    const TagStatus *statuses;
    const TimeRecord *timestamps;
    int32_t count;
};

// How many tags the report shows: all, or, when it shows values, those up
// to and including the first of a data type it does not know, whose block
// ends with "\nUnknown data type" and ends the report.
int32_t reported_tags(const TagArrays &tags);

// The report's blocks, names read `name_stride` bytes apart, of every tag
// when `shown` is null, else of the tags k whose shown[k] is not 0 (each
// with its place in the message, "Tagname [k+1]: ", or "Tagname : " in a
// message of one tag). Never shows a tag that the whole report would not
// show.
void write_tag_blocks(ReportWriter &out, const TagArrays &tags, int32_t name_stride,
                      const unsigned char *shown);

}  // namespace tavlo::ts
