// Lines of a text stream, each read with a limit on its length.
#include "line_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tavlo::script {

LineReader::LineReader(std::istream &in, std::size_t longest)
    : in_(&in), longest_(longest), block_(longest + 1), buffer_(new char[longest + 1]) {}

LineReader::LineReader(int fd, std::size_t longest, std::size_t block)
    : fd_(fd),
      longest_(longest),
      block_(std::max<std::size_t>(block, 1)),
      buffer_(new char[longest + 1]) {}

LineReader::Status LineReader::next_read(std::string_view &line) {
    for (;;) {
        if (too_long_) return Status::kTooLong;
        if (read_error_ != 0) return Status::kReadError;
        if (end_ - start_ > longest_) {
            ++number_;
            too_long_ = true;
            return Status::kTooLong;
        }
        if (!fill()) break;
        if (held_line(line)) return Status::kLine;
    }
    if (read_error_ != 0) return Status::kReadError;
    const std::size_t size = end_ - start_;
    if (size == 0) return Status::kEnd;
    // The last line, without a line end.
    line = std::string_view(buffer_.get() + start_, size);
    start_ = end_;
    scanned_ = 0;
    ++number_;
    unended_ = true;
    return Status::kLine;
}

bool LineReader::fill() {
    if (ended_) return false;
    if (start_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + start_, end_ - start_);
        end_ -= start_;
        start_ = 0;
    }
    const std::size_t taken =
        read_some(buffer_.get() + end_, std::min(block_, longest_ + 1 - end_));
    end_ += taken;
    ended_ = taken == 0;
    return !ended_;
}

std::size_t LineReader::read_some(char *to, std::size_t room) {
    if (in_ == nullptr) {
        for (;;) {
            const ssize_t n = ::read(fd_, to, room);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno != EINTR) {
                read_error_ = errno;
                return 0;
            }
        }
    }
    std::streambuf *const stream = in_->rdbuf();
    if (stream == nullptr || !in_->good()) return 0;
    std::size_t n = 0;
    while (n < room) {
        const int c = stream->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in_->setstate(std::ios::eofbit);
            break;
        }
        to[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    return n;
}

}  // namespace tavlo::script
