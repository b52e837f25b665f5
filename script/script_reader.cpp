// The messages of a script, read one at a time from a stream.
#include "script_reader.h"

#include <cstring>
#include <string>

namespace tavlo::script {

namespace {

// Blank lines and comments, whatever the comment holds.
bool skipped(std::string_view line) {
    const std::size_t first = line.find_first_not_of(kTokenBlanks);
    return first == std::string_view::npos || line[first] == '#';
}

// Whether a line cut short is the start of a message line: the message
// before it may be whole. ("m" alone may be the start of a more line.)
bool starts_a_message_line(std::string_view line) {
    constexpr std::string_view kStart = "message ";
    return line.size() >= 2 &&
           (kStart.substr(0, line.size()) == line || line.substr(0, kStart.size()) == kStart);
}

}  // namespace

ScriptReader ScriptReader::recording_from(int fd) {
    ScriptReader reader(fd);
    reader.quoting_ = Quoting::kEscapes;
    return reader;
}

ScriptReader::Status ScriptReader::hold_message(ScriptMessage &message, ScriptError &error) {
    if (!builder_.check_whole(error)) {
        error_ = error;
        return Status::kError;
    }
    holding_ = true;
    held_line_ = lines_.number();
    builder_.take_message(message);
    return Status::kMessage;
}

ScriptReader::Status ScriptReader::next(ScriptMessage &message, ScriptError &error) {
    if (!error_ && holding_) {
        holding_ = false;
        ScriptError found;
        if (!builder_.take(tokens_, held_line_, found)) error_ = found;
    }
    while (!error_) {
        const LineReader::Status status = lines_.next(line_);
        if (status == LineReader::Status::kEnd) break;
        if (status == LineReader::Status::kTooLong) {
            error_ = ScriptError{lines_.number(), "a line is longer than 1 MiB (1048576 bytes)"};
            break;
        }
        // Not the end of the script: what the failed read held is unknown.
        if (status == LineReader::Status::kReadError) {
            error_ = ScriptError{lines_.number() + 1, std::string("cannot read the script: ") +
                                                          std::strerror(lines_.read_error())};
            break;
        }
        if (lines_.unended() && !skipped(line_)) {
            error_ = ScriptError{lines_.number(),
                                 "the last line has no line end: the file is cut short", true};
            // The message before a message line cut short goes out when
            // it is whole; the error comes after it.
            ScriptError found;
            if (builder_.building() && starts_a_message_line(line_) &&
                builder_.check_whole(found)) {
                builder_.take_message(message);
                return Status::kMessage;
            }
            break;
        }
        if (skipped(line_)) continue;
        if (const char *reason = split_tokens(line_, quoting_, tokens_, unescaped_)) {
            error_ = ScriptError{lines_.number(), reason};
            break;
        }
        if (tokens_[0] == kEscapesLine) {
            if (tokens_.size() > 1) {
                error_ = ScriptError{lines_.number(), "an escapes line holds the word alone"};
                break;
            }
            quoting_ = Quoting::kEscapes;
            continue;
        }
        if (tokens_[0] == "message" && builder_.building()) return hold_message(message, error);
        ScriptError found;
        if (!builder_.take(tokens_, lines_.number(), found)) error_ = found;
    }
    if (!error_ && builder_.building()) {
        ScriptError found;
        if (builder_.check_whole(found)) {
            builder_.take_message(message);
            return Status::kMessage;
        }
        found.cut_short = true;  // the last message, which the end of the file cut
        error_ = found;
    }
    if (error_) {
        error = *error_;
        return Status::kError;
    }
    return Status::kEnd;
}

}  // namespace tavlo::script
