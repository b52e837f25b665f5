// The receiver's recording: every message a read returns, of every kind, in
// the simulator's script format, written by a thread of its own within a
// quarter of a millisecond of its coming, in writes of whole messages.
#pragma once

#include <cstdint>

#include "received_message.h"

namespace tavlo::receiver {

enum class RecordMode {
    kNew,      // refuse a file that exists
    kAppend,   // add to a file that exists
    kReplace,  // empty a file that exists
};

// Opens `path` for the recording: a regular file that exists only as `mode`
// allows; a device or a pipe as it is. False after one line on standard
// error: "tavlo_t_receiver: cannot record to PATH: REASON".
bool open_recording(const char *path, RecordMode mode);

// Hands the message of a successful read to the recording's writer, its
// names taken by its stride as the reports take them, and the time it came.
// True when it did or no recording is open; false once a write failed, after
// one line on standard error ("tavlo_t_receiver: cannot write the recording
// PATH: REASON"), and nothing is written after.
bool record_message(const ReceivedMessage &message);

// Writes what the writer still holds and closes the recording. Returns
// `status`, or kExitRecordingFailed when a write or the close failed (the
// close's failure said on standard error).
int close_recording(int status);

}  // namespace tavlo::receiver
