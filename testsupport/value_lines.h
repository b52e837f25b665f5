// Lines shared by the tag value report and the historical value report.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "report_writer.h"
#include "tavlo.h"

namespace tavlo::ts {

// "REAL" ... "STRUCTURE" for the data types 1 to 7; empty for a data type
// that no report knows.
std::string_view data_type_name(int32_t data_type);

// "REAL" ... "DESCRIPTION" for the device data types 1 to 15; empty otherwise.
std::string_view device_data_type_name(int32_t device_data_type);

// The status table's text of a code: what the status line shows between
// "Status is " and " (code)"; empty for a code without an entry.
std::string_view status_text(int32_t code);

// The same without the single quotes around most of the table's texts
// ("Out of Range" for "'Out of Range'").
std::string_view unquoted_status_text(int32_t code);

// A value of type T, copied out of the packed buffer byte by byte. Bytes
// beyond `size` (a size smaller than the type's width) read as zero.
template <typename T>
T copy_value(const unsigned char *value, int32_t size) {
    T result{};
    const auto bytes = static_cast<std::size_t>(std::clamp<int32_t>(size, 0, sizeof(T)));
    std::memcpy(&result, value, bytes);
    return result;
}

// The characters of an ASCII value of `size` bytes: up to its first NUL,
// all `size` when it holds none; empty for a size outside 1 to 999999999.
std::string_view ascii_value(const unsigned char *value, int32_t size);

// "\nType: REAL" ... "\nType: STRUCTURE", "\nType: UNKNOWN TYPE" otherwise.
void write_type_line(ReportWriter &out, int32_t data_type);

// "  Device Data Type: ..." for 1 to 15, "  UNKNOWN DEVICE DATA TYPE" otherwise.
void write_device_type_text(ReportWriter &out, int32_t device_data_type);

// Writes one value that starts at `value` and takes `size` bytes. Returns
// false, after "\nUnknown data type", for a data type outside 1 to 7: the
// caller's report ends there. Never reads more than `size` bytes, never more
// than the type's width, and never writes to the value.
bool write_value(ReportWriter &out, int32_t data_type, int32_t size, const unsigned char *value);

// Bytes the value position moves on after a value of `size` bytes.
inline int32_t value_step(int32_t size) {
    return size > 0 ? size : 0;
}

// Writes `prefix` and the asctime text of the record's local time, or
// `invalid` when the client library has no valid time for it.
void write_time_line(ReportWriter &out, std::string_view prefix, std::string_view invalid,
                     const TimeRecord &time);

// The three status lines of one tag.
void write_tag_status(ReportWriter &out, const TagStatus &tag_status);

// Length of the name that starts at `name`: up to its NUL, but never more
// than `stride` bytes when the stride is positive.
int name_length(const char *name, int32_t stride);

}  // namespace tavlo::ts
