// Lines of a text stream, each read with a limit on its length.
#include "line_reader.h"

namespace tavlo::script {

LineReader::LineReader(std::istream &in, std::size_t longest)
    : in_(in), buffer_(new char[longest + 1]), size_(longest + 1) {}

LineReader::Status LineReader::next(std::string_view &line) {
    if (too_long_) return Status::kTooLong;
    // getline() stores at most size - 1 characters and sets failbit, having
    // taken no line end, when the line holds more.
    in_.getline(buffer_.get(), static_cast<std::streamsize>(size_));
    const auto taken = static_cast<std::size_t>(in_.gcount());
    if (in_.fail() && !in_.eof()) {
        ++number_;
        too_long_ = true;
        return Status::kTooLong;
    }
    if (taken == 0 && in_.eof()) return Status::kEnd;
    ++number_;
    // A line end was taken unless the stream ended first.
    line = std::string_view(buffer_.get(), in_.eof() ? taken : taken - 1);
    return Status::kLine;
}

}  // namespace tavlo::script
