// The script lines of one message as a read returned it: what the receiver
// records, so that the simulator sends the same message again. Its quoted
// tokens take escapes: a recording starts with the escapes line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "message_view.h"
#include "script_text.h"
#include "tavlo.h"

namespace tavlo::script {

// The first lines of a recording: the line that marks the file as one, and
// the escapes line, after which the lines of append_message() read back.
void append_recording_start(TextBuffer &text);
// The escapes line alone, for a recording added to.
void append_escapes_line(TextBuffer &text);

// Appends the lines of the message, got at `received` (milliseconds since
// 1970): a message line with its sequence number,
// its count of tags (which shows a message cut short), its time and its name
// layout where the simulator would choose another, a
// tag line for each tag, and more lines for the bytes of long hex values.
// Read back, the message lays out to the same bytes as far as a caller that
// steps by `name_stride` sees them: each name up to its NUL, the descriptor
// of every tag (data type, device data type, size, element count), every
// value byte, status and timestamp, whatever they hold. A name entry holds a
// name blank-padded to its last byte, NUL there; a name that ends in a NUL
// before is written with it (\x00). No line is longer than the reader takes.
void append_message(TextBuffer &text, const records::MessageView &read, int64_t received);

// A read in arrays of its own, and the time it came: what append_message()
// reads of it, kept for another thread once the library has reused the
// read's arrays.
class ReadCopy {
public:
    // Copies the device, each name entry by the read's stride, the
    // descriptors, the value bytes they size, the statuses and the
    // timestamps of its count of tags. A null array stays null, a null
    // device is an empty one.
    ReadCopy(const records::MessageView &read, int64_t received);

    // The view of the copy; valid while the copy is.
    records::MessageView view() const;
    // When the read came, in milliseconds since 1970.
    int64_t received() const { return received_; }
    // The bytes of the copy's arrays.
    std::size_t bytes() const;

private:
    records::MessageView numbers_;  // of the read; its arrays say which were null
    int64_t received_;
    std::string device_;
    std::vector<char> names_;
    std::vector<TypeDescriptor> descriptors_;
    std::vector<unsigned char> values_;
    std::vector<TagStatus> statuses_;
    std::vector<TimeRecord> timestamps_;
};

}  // namespace tavlo::script
