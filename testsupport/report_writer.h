// The text of a report, gathered in a buffer and handed to a stream in one
// write: numbers converted with std::to_chars, texts and blanks copied.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

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

}  // namespace tavlo::ts
