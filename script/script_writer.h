// The script lines of one message as a read returned it: what the receiver
// records, so that the simulator sends the same message again. Its quoted
// tokens take escapes: a recording starts with the escapes line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "message_records.h"
#include "script_text.h"
#include "tavlo.h"

namespace tavlo::script {

// What a read returned, as its caller sees it. Null arrays are taken as
// arrays of zeros (no names, no values).
struct ReadMessage {
    MessageKind kind = 0;
    const char *device = nullptr;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t sequence = 0;
    int32_t count = 0;
    const char *names = nullptr;
    int32_t name_stride = 0;                      // the stride the caller steps by: 40 or 256
    const TypeDescriptor *descriptors = nullptr;  // count + 1 entries
    const unsigned char *values = nullptr;        // the sizes of the descriptors added up
    const TagStatus *statuses = nullptr;
    const TimeRecord *timestamps = nullptr;
    int64_t received = 0;  // when the caller got it, in milliseconds since 1970
};

// The first lines of a recording: the line that marks the file as one, and
// the escapes line, after which the lines of append_message() read back.
void append_recording_start(TextBuffer &text);
// The escapes line alone, for a recording added to.
void append_escapes_line(TextBuffer &text);

// The read of the arrays of `records`, stepping through its names by its
// own stride.
ReadMessage read_of(const records::MessageRecords &records, int64_t received);

// Appends the lines of the message: a message line with its sequence number,
// its count of tags (which shows a message cut short), its time and its name
// layout where the simulator would choose another, a
// tag line for each tag, and more lines for the bytes of long hex values.
// Read back, the message lays out to the same bytes as far as a caller that
// steps by `name_stride` sees them: each name up to its NUL, the descriptor
// of every tag (data type, device data type, size, element count), every
// value byte, status and timestamp, whatever they hold. A name entry holds a
// name blank-padded to its last byte, NUL there; a name that ends in a NUL
// before is written with it (\x00). No line is longer than the reader takes.
void append_message(TextBuffer &text, const ReadMessage &read);

// A read in arrays of its own: what append_message() reads of it, kept for
// another thread once the library has reused the read's arrays.
class ReadCopy {
public:
    // Copies the device, each name entry by the read's stride, the
    // descriptors, the value bytes they size, the statuses and the
    // timestamps of its count of tags. A null array stays null, a null
    // device is an empty one.
    explicit ReadCopy(const ReadMessage &read);

    // The copy as a read; valid while the copy is.
    ReadMessage read() const;
    // The bytes of the copy's arrays.
    std::size_t bytes() const;

private:
    ReadMessage numbers_;  // of the read; its arrays say which were null
    std::string device_;
    std::vector<char> names_;
    std::vector<TypeDescriptor> descriptors_;
    std::vector<unsigned char> values_;
    std::vector<TagStatus> statuses_;
    std::vector<TimeRecord> timestamps_;
};

}  // namespace tavlo::script
