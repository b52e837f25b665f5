// Lines of a text stream, each read with a limit on its length.
#pragma once

#include <cstddef>
#include <istream>
#include <memory>
#include <string_view>

namespace tavlo::script {

// The longest line of a script: 1 MiB, line end not counted.
constexpr std::size_t kLongestScriptLine = std::size_t{1} << 20;

// Reads a stream line by line and never holds more of a line than the
// limit: a stream without line ends (/dev/zero, a huge file of one line)
// stops at the limit instead of filling the memory.
class LineReader {
public:
    enum class Status { kLine, kEnd, kTooLong };

    explicit LineReader(std::istream &in, std::size_t longest = kLongestScriptLine);

    // The next line, without its "\n" (a last line may have none), valid
    // until the next call. After kTooLong the reader stops: every later call
    // returns kTooLong too.
    Status next(std::string_view &line);

    // The number of the line last returned or found too long, from 1.
    int number() const { return number_; }

private:
    std::istream &in_;
    // The longest line, and room to see it is longer; not filled before
    // use, so that a reader costs no more than the lines it reads.
    std::unique_ptr<char[]> buffer_;
    std::size_t size_;
    int number_ = 0;
    bool too_long_ = false;
};

}  // namespace tavlo::script
