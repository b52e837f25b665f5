// What --append reads of a file before it adds to it: whether the file is a
// recording, and the message that a write cut short left at its end.
#pragma once

#include <sys/types.h>

#include <optional>

namespace tavlo::receiver {

// Whether the file that `fd` reads is a recording: its first line marks it
// as one or, in a recording made before that line was written, is the
// escapes line. An empty file is one too, and so is a file cut short in
// the middle of that first line.
bool is_recording(int fd);

// Where the last write of the recording that `fd` reads, of `size` bytes,
// begins when the file ends in a message cut short: each message goes out
// in one write (the first of a recording with the first lines before it),
// so such a file ends in a write cut short, from its message line (or those
// first lines) on. A message is cut short when the file ends in the middle
// of one of its lines, or ends after fewer of its tags than its tags=, or
// before the last bytes of its last value. `size` when the last message is
// whole; nullopt when the file ends in the middle of a line that follows no
// message line.
std::optional<off_t> cut_write_start(int fd, off_t size);

}  // namespace tavlo::receiver
