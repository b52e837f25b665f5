// The tag lines of a recording, read in one pass: the shape the receiver
// writes nearly every tag in, without the general reader's tokens.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "tavlo.h"

namespace tavlo::script {

// A tag line of the plain shape, every field read.
struct PlainTagLine {
    std::string_view name;
    int16_t data_type = 0;
    int16_t device_data_type = 0;
    std::size_t size = 0;  // of the value
    // The value's bytes, but for ASCII: its text, NUL-filled to `size`.
    std::array<unsigned char, 8> number{};
    std::string_view text;
    TagStatus status{};
    TimeRecord timestamp{};
};

// Reads "tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS
// TIMESTAMP" when the line has the plain shape: bare tokens one space apart
// (none quoted, none holding a control character), TYPE a text type's
// keyword or ASCII:N, whole numbers and times SECONDS or SECONDS.MMM as the
// general reader reads them, no options. False for any other line and for a
// field that does not read: the general reader takes those, and says what
// is wrong.
bool read_plain_tag_line(std::string_view line, PlainTagLine &tag);

}  // namespace tavlo::script
