// The lines of the reports: the writer that gathers a report's text and hands
// it to a stream in one write, the asctime() text of times, the type, value,
// time and status lines, and the blocks of the tag value report. The receiver
// makes its own lines with them too.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "message_view.h"
#include "tavlo.h"

// The text of a report, gathered in a buffer and handed to a stream in one
// write: numbers converted with std::to_chars, texts and blanks copied.
namespace tavlo::ts {

// Gathers the text of one report and hands it to its stream with fwrite
// when the report ends (flush() or the destructor), so that other writes to
// the same stream stay in order around it. A text longer than the buffer
// goes in several fwrites, one each time the buffer fills: memory stays the
// same whatever a report prints. Errors of the stream are left to its caller.
// Made on a string instead, it appends the text there.
class ReportWriter {
public:
    explicit ReportWriter(std::FILE *stream) : stream_(stream) {}
    explicit ReportWriter(std::string &text) : text_(&text) {}
    ~ReportWriter() { flush(); }
    ReportWriter(const ReportWriter &) = delete;
    ReportWriter &operator=(const ReportWriter &) = delete;

    // The characters as they stand, NULs included. An empty view may hold no
    // pointer at all (an ASCII value of size 0), which memcpy must not see.
    void text(std::string_view part) {
        if (part.empty()) {
            return;
        }
        if (part.size() <= kCapacity - used_) {
            std::memcpy(buffer_ + used_, part.data(), part.size());
            used_ += part.size();
        } else {
            spill(part);
        }
    }

    // The decimal text of "%d" and "%ld".
    void integer(long long value);

    // The text of "%f" in the "C" locale: six decimals, "inf" and "nan"
    // with their sign, "-0.000000" for negative zero.
    void fixed6(double value);

    // `count` blanks, in pieces of at most the buffer's size.
    void blanks(std::size_t count);

    // Hands the gathered text to the stream.
    void flush();

private:
    static constexpr std::size_t kCapacity = 16384;

    // Makes room for `bytes` more, flushing when the buffer is too full.
    char *room(std::size_t bytes);
    void spill(std::string_view part);
    // Hands `size` bytes to the stream or the string.
    void put(const char *bytes, std::size_t size);

    std::FILE *stream_ = nullptr;
    std::string *text_ = nullptr;
    std::size_t used_ = 0;
    char buffer_[kCapacity];
};

// The standard asctime() text of a calendar time, made safely.

// Longest text format_asctime() writes, its NUL included.
constexpr std::size_t kAsctimeTextSize = 64;

// Writes "Www Mmm dd hh:mm:ss yyyy\n" as asctime() does and returns its
// length. Unlike asctime(), out-of-range fields never index past the name
// tables ("???" instead) and a year of any size fits; the text of fields so
// far out of range that it would be longer is cut to 63 characters.
std::size_t format_asctime(const std::tm &time, char (&text)[kAsctimeTextSize]);

// Lines shared by the tag value report and the historical value report.

// "REAL" ... "STRUCTURE" for the data types 1 to 7; empty for a data type
// that no report knows.
std::string_view data_type_name(int32_t data_type);

// "REAL" ... "DESCRIPTION" for the device data types 1 to 15; empty otherwise.
std::string_view device_data_type_name(int32_t device_data_type);

// The status table's text of a code: what the status line shows between
// "Status is " and " (code)"; empty for a code without an entry.
std::string_view status_text(int32_t code);

// The same without the single quotes around most of the table's texts
// ("Out of Range" for "'Out of Range'").
std::string_view unquoted_status_text(int32_t code);

// A value of type T, copied out of the packed buffer byte by byte. Bytes
// beyond `size` (a size smaller than the type's width) read as zero.
template <typename T>
T copy_value(const unsigned char *value, int32_t size) {
    T result{};
    const auto bytes = static_cast<std::size_t>(std::clamp<int32_t>(size, 0, sizeof(T)));
    std::memcpy(&result, value, bytes);
    return result;
}

// The characters of an ASCII value of `size` bytes: up to its first NUL,
// all `size` when it holds none; empty for a size outside 1 to 999999999.
std::string_view ascii_value(const unsigned char *value, int32_t size);

// "\nType: REAL" ... "\nType: STRUCTURE", "\nType: UNKNOWN TYPE" otherwise.
void write_type_line(ReportWriter &out, int32_t data_type);

// "  Device Data Type: ..." for 1 to 15, "  UNKNOWN DEVICE DATA TYPE" otherwise.
void write_device_type_text(ReportWriter &out, int32_t device_data_type);

// Writes one value that starts at `value` and takes `size` bytes. Returns
// false, after "\nUnknown data type", for a data type outside 1 to 7: the
// caller's report ends there. Never reads more than `size` bytes, never more
// than the type's width, and never writes to the value.
bool write_value(ReportWriter &out, int32_t data_type, int32_t size, const unsigned char *value);

// Bytes the value position moves on after a value of `size` bytes.
inline int32_t value_step(int32_t size) {
    return size > 0 ? size : 0;
}

// Writes `prefix` and the asctime text of the record's local time, or
// `invalid` when the client library has no valid time for it.
void write_time_line(ReportWriter &out, std::string_view prefix, std::string_view invalid,
                     const TimeRecord &time);

// The three status lines of one tag.
void write_tag_status(ReportWriter &out, const TagStatus &tag_status);

// Length of the name that starts at `name`: up to its NUL, but never more
// than `stride` bytes when the stride is positive.
int name_length(const char *name, int32_t stride);

// The blocks of lines of the tag value report, one per tag, for all tags of
// a message or for a chosen few.

// How many tags the report shows: all, or, when it shows values, those up
// to and including the first of a data type it does not know, whose block
// ends with "\nUnknown data type" and ends the report.
int32_t reported_tags(const records::MessageView &tags);

// The report's blocks of the message's arrays, any of which may be null,
// names read the view's name_stride bytes apart, of every tag
// when `shown` is null, else of the tags k whose shown[k] is not 0 (each
// with its place in the message, "Tagname [k+1]: ", or "Tagname : " in a
// message of one tag). Never shows a tag that the whole report would not
// show.
void write_tag_blocks(ReportWriter &out, const records::MessageView &tags,
                      const unsigned char *shown);

}  // namespace tavlo::ts
