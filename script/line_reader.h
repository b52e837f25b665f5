// Lines of a text stream, each read with a limit on its length.
#pragma once

#include <cstddef>
#include <cstring>
#include <istream>
#include <memory>
#include <string_view>

namespace tavlo::script {

// The longest line of a script: 1 MiB, line end not counted.
constexpr std::size_t kLongestScriptLine = std::size_t{1} << 20;

// The most bytes read from a file at once.
constexpr std::size_t kLineReaderBlock = std::size_t{64} << 10;

// Reads a stream line by line and never holds more of a line than the
// limit: a stream without line ends (/dev/zero, a huge file of one line)
// stops at the limit instead of filling the memory.
class LineReader {
public:
    enum class Status { kLine, kEnd, kTooLong, kReadError };

    // Takes the stream's lines one at a time: the stream is left just after
    // the last line given (or the limit).
    explicit LineReader(std::istream &in, std::size_t longest = kLongestScriptLine);
    // Reads the file descriptor (not owned) in blocks of up to `block` bytes,
    // with one read(2) whenever the lines held run out: a pipe's lines come
    // as soon as they are written.
    explicit LineReader(int fd, std::size_t longest = kLongestScriptLine,
                        std::size_t block = kLineReaderBlock);

    // The next line, without its "\n" (a last line may have none), valid
    // until the next call. After kTooLong the reader stops: every later call
    // returns kTooLong too. A read(2) that fails gives kReadError, never the
    // bytes of a line it cut, and so does every later call.
    Status next(std::string_view &line) {
        // Most lines are among the bytes held: found without a call.
        return held_line(line) ? Status::kLine : next_read(line);
    }

    // The errno of the read that failed, after kReadError.
    int read_error() const { return read_error_; }

    // The number of the line last returned or found too long, from 1.
    int number() const { return number_; }

    // Whether the line last returned is the stream's last and has no "\n".
    bool unended() const { return unended_; }

private:
    // The next line among the bytes held, if one is there whole; the bytes
    // looked at are not looked at again.
    bool held_line(std::string_view &line) {
        const char *const held = buffer_.get() + start_;
        const std::size_t size = end_ - start_;
        const void *const found = std::memchr(held + scanned_, '\n', size - scanned_);
        if (found == nullptr) {
            scanned_ = size;
            return false;
        }
        const auto length = static_cast<std::size_t>(static_cast<const char *>(found) - held);
        line = std::string_view(held, length);
        start_ += length + 1;
        scanned_ = 0;
        ++number_;
        return true;
    }
    // The next line when none is held whole: read on, or the end, the
    // error or a line too long.
    Status next_read(std::string_view &line);
    // Reads more after the bytes held, moved to the buffer's start first;
    // false at the end of the stream.
    bool fill();
    // Up to `room` bytes of the stream at `to`: what one read(2) gives, or
    // from the istream one line with its line end; 0 at the end.
    std::size_t read_some(char *to, std::size_t room);

    std::istream *in_ = nullptr;
    int fd_ = -1;
    std::size_t longest_;
    std::size_t block_;
    // Room for the longest line and its line end, or for one byte more
    // than the longest line, to see that it is longer. Not filled before
    // use, so that a reader costs no more than the blocks it reads.
    std::unique_ptr<char[]> buffer_;
    std::size_t start_ = 0;    // of the bytes held, not yet given as lines
    std::size_t scanned_ = 0;  // from start_ on, bytes known to hold no "\n"
    std::size_t end_ = 0;      // of the bytes held
    int number_ = 0;
    bool ended_ = false;  // the stream has no more
    bool too_long_ = false;
    bool unended_ = false;
    int read_error_ = 0;
};

}  // namespace tavlo::script
