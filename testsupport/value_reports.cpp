// The status report and the tag value report on standard output, with the
// short type names and the width of the entries of tag-name arrays they read.

#include <cstdio>
#include <cstring>

#include "record_sizes.h"
#include "report_lines.h"
#include "tavlo_testsupport.h"

// The status report: the three status lines of one tag on standard output.
extern "C" void print_tag_status(const TagStatus *tag_status) {
    tavlo::ts::ReportWriter out(stdout);
    tavlo::ts::write_tag_status(out, *tag_status);
}

// Tag value report: one block of lines per tag of a received message.
extern "C" void print_tag_values(const char *names, const TypeDescriptor *descriptors,
                                 const void *values, const TagStatus *statuses,
                                 const TimeRecord *timestamps, int32_t count) {
    tavlo::ts::ReportWriter out(stdout);
    tavlo::records::MessageView tags;
    tags.count = count;
    tags.names = names;
    tags.name_stride = tag_name_stride;
    tags.descriptors = descriptors;
    tags.values = static_cast<const unsigned char *>(values);
    tags.statuses = statuses;
    tags.timestamps = timestamps;
    tavlo::ts::write_tag_blocks(out, tags, nullptr);
}

// The short type-name table: 6-character names of the type codes -1 to 28.
namespace {
constexpr int32_t kFirstCode = -1;
const char *const kShortTypeNames[] = {"INVDT ", "?0?   ", "REAL  ", "SHORT ", "ASCII ", "LONG  ",
                                       "DOUBLE", "TIME  ", "STRUCT", "ENUM  ", "ORDINA", "DTIME ",
                                       "EXTID ", "CBAW  ", "CBST  ", "EU    ", "DESC  ", "USHORT",
                                       "ULONG ", "QREAL ", "QSHORT", "QLONG ", "QDOUBL", "ASC24 ",
                                       "TOLERA", "QUALIT", "BIT   ", "3BCD  ", "4BCD  ", "BLOCK "};
constexpr int32_t kNameCount = sizeof kShortTypeNames / sizeof kShortTypeNames[0];
static_assert(kNameCount == 30, "codes -1 to 28");
}  // namespace

extern "C" const char *short_type_name(int32_t code) {
    if (code < kFirstCode || code >= kFirstCode + kNameCount) return nullptr;
    return kShortTypeNames[code - kFirstCode];
}

// The process-wide width of one entry of the current tag-name array, and
// the width of the entries of a read's tag-name array.
extern "C" {
int32_t tag_name_stride = 0;
}

extern "C" int32_t name_stride_of_read(const char *names) {
    // A first name of at most this many characters marks the compact layout.
    constexpr std::size_t kLongestCompactName = 40;
    const bool compact =
        names == nullptr || strnlen(names, kLongestCompactName + 1) <= kLongestCompactName;
    return compact ? tavlo::records::kCompactNameStride : tavlo::records::kFullNameStride;
}
