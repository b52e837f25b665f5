// A tag's data type and value as a script writes them, both ways: the TYPE
// and VALUE tokens of a tag line.
//
//   REAL SHORT LONG DOUBLE TIME (or 1 to 6)   the value as text: a number, a
//                                            time SECONDS or SECONDS.MMM
//   ASCII, ASCII:N                           the text, NUL-filled to N bytes
//   CODE:SIZE                                any data type code with any
//                                            size; the value in hex bytes,
//                                            zero-filled to SIZE
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text_buffer.h"

namespace tavlo::script {

// The longest ASCII:N field, and the most bytes that one tag line holds in
// hex; "more" lines carry the rest of a longer value.
constexpr int32_t kLongestText = 65536;
constexpr std::size_t kHexBytesALine = 65536;

struct ValueType {
    int16_t data_type = 0;
    std::optional<int32_t> ascii_size;  // ASCII:N
    std::optional<int32_t> raw_size;    // CODE:SIZE: the value is hex bytes
};

// Reads a TYPE token. Returns a reason on failure.
const char *read_value_type(std::string_view token, ValueType &type);

// Reads the VALUE token of a tag of `type` into `value`. For CODE:SIZE the
// value has SIZE bytes and `given` says how many the token gave. Returns a
// reason on failure.
const char *read_value(const ValueType &type, std::string_view text,
                       std::vector<unsigned char> &value, std::size_t &given);

// The bytes of a CODE:SIZE value that its tag line leaves to "more" lines:
// from `from` to `to` (the bytes after `to` are zero).
struct HexRest {
    std::size_t from = 0;
    std::size_t to = 0;
};

// Appends "TYPE DEVICE_TYPE VALUE" of a value of `size` bytes at `bytes`,
// written so that read_value_type() and read_value() give back the data
// type code, the size and every byte: REAL and DOUBLE in the shortest text
// that reads back to the same number (NaN with its sign; a NaN with a
// payload in hex).
HexRest append_type_and_value(TextBuffer &line, int16_t data_type, int16_t device_data_type,
                              const unsigned char *bytes, std::size_t size);

}  // namespace tavlo::script
