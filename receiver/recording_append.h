// What --append reads of a file before it adds to it: whether the file is a
// recording, and the message that a write cut short left at its end.
#pragma once

#include <sys/types.h>

#include <optional>

namespace tavlo::receiver {

// Whether the first line of the file that `fd` reads may start a script: a
// blank line, a comment, the escapes line or a message line. An empty file
// may too.
bool starts_like_a_script(int fd);

// Where the last write of the recording that `fd` reads, of `size` bytes,
// begins when the file ends in the middle of a line: each message goes out
// in one write (the first of a recording with the escapes line before it),
// so such a file ends in a write cut short, from its message line (or that
// escapes line) on. `size` when the file ends at a line end; nullopt when
// it ends in the middle of a line that follows no message line.
std::optional<off_t> cut_write_start(int fd, off_t size);

}  // namespace tavlo::receiver
