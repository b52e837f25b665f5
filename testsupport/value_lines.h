// Lines shared by the tag value report and the historical value report.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tavlo::ts {

// "\nType: REAL" ... "\nType: STRUCTURE", "\nType: UNKNOWN TYPE" otherwise.
void print_type_line(int32_t data_type);

// "  Device Data Type: ..." for 1 to 15, "  UNKNOWN DEVICE DATA TYPE" otherwise.
void print_device_type_text(int32_t device_data_type);

// Prints one value that starts at `value` and takes `size` bytes. Returns
// false, after "\nUnknown data type", for a data type outside 1 to 7: the
// caller's report ends there. Never reads more than `size` bytes, never more
// than the type's width, and never writes to the value.
bool print_value(int32_t data_type, int32_t size, const unsigned char *value);

// Bytes the value position moves on after a value of `size` bytes.
inline int32_t value_step(int32_t size) {
    return size > 0 ? size : 0;
}

// Prints `prefix` and the asctime text of the record's local time, or
// `invalid` when the client library has no valid time for it.
void print_time_line(const char *prefix, const char *invalid, const TimeRecord &time);

// Length of the name that starts at `name`: up to its NUL, but never more
// than `stride` bytes when the stride is positive.
int name_length(const char *name, int32_t stride);

}  // namespace tavlo::ts
