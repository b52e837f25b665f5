// Values of a tag-list file, converted and appended to the packed buffer.
#pragma once

#include <cstdint>

namespace tavlo::ts {

// Converts the value token by the data type (1 to 6) and writes it at
// `cursor`: REAL as "%f", SHORT as "%hd", LONG as "%ld" into 32 bits, DOUBLE
// as "%lf", TIME as "%ld" seconds in a TimeRecord with milliseconds 0, ASCII
// as the token's `length` characters without a NUL. A number that does not
// convert is 0. Returns the bytes written: the tag's size.
int32_t append_value(int32_t data_type, const char *token, int32_t length, unsigned char *cursor);

}  // namespace tavlo::ts
