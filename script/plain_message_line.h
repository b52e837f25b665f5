// The message lines of a recording, read in one pass: the shape the
// receiver writes them in, without the general reader's tokens.
#pragma once

#include <cstdint>
#include <string_view>

#include "tavlo.h"

namespace tavlo::script {

// A message line of the plain shape, every field read.
struct PlainMessageLine {
    int32_t kind = 0;
    std::string_view device;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t sequence = 0;
    bool full_names = false;  // names=256
    TimeRecord received{};
};

// Reads "message KIND DEVICE UNIT LIST_ID seq=N [names=256] at=SECONDS.MMM"
// when the line has that plain shape: bare tokens one space apart (none
// quoted, none holding a control character), KIND a keyword, whole numbers
// and the time SECONDS or SECONDS.MMM as the general reader reads them, the
// options in that order. False for any other line and for a field that does
// not read: the general reader takes those, and says what is wrong.
bool read_plain_message_line(std::string_view line, PlainMessageLine &message);

}  // namespace tavlo::script
