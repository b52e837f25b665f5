// Fuzz target: next_token over a line, from a start position and with a
// field size that the input chooses, token after token to the line's end.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tavlo_testsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    // Byte 0: the field size, 0 to 255; byte 1: the start position, -8 to
    // 247; the rest: the line, up to its first NUL.
    const auto field_size = static_cast<int32_t>(data[0]);
    int32_t position = static_cast<int32_t>(data[1]) - 8;
    const std::string line(reinterpret_cast<const char *>(data) + 2, size - 2);
    const auto line_length = static_cast<int32_t>(std::strlen(line.c_str()));

    // The field on the heap, exactly as large as said, so that a write past
    // it shows.
    std::vector<char> field(static_cast<std::size_t>(field_size));
    char *field_data = field.empty() ? nullptr : field.data();
    for (int32_t calls = 0;; ++calls) {
        const int32_t before = position;
        int32_t length = -1;
        next_token(line.c_str(), &position, field_data, field_size, &length);
        const bool outside = before < 0 || before > line_length;
        if (length < 0 || (field_size > 0 && length > field_size - 1)) __builtin_trap();
        if (field_size > 0 && std::strlen(field_data) != static_cast<std::size_t>(length)) {
            __builtin_trap();
        }
        if (outside && position != before) __builtin_trap();  // outside: left alone
        if (!outside && (position < before || position > line_length)) __builtin_trap();
        if (length > 0 && position == before) __builtin_trap();  // a token moves on
        if (position == before) break;
        if (calls > line_length) __builtin_trap();  // every call moves on or stops
    }
    return 0;
}
