// The messages of a script, read one at a time from a stream.
#include "script_reader.h"

#include <cstring>
#include <string>

namespace tavlo::script {

ScriptReader::Status ScriptReader::hold_message(bool plain, ScriptMessage &message) {
    holding_ = true;
    holding_plain_ = plain;
    held_line_ = lines_.number();
    builder_.take_message(message);
    return Status::kMessage;
}

ScriptReader::Status ScriptReader::next(ScriptMessage &message, ScriptError &error) {
    if (!error_ && holding_) {
        holding_ = false;
        ScriptError found;
        if (holding_plain_) {
            builder_.take_plain_message(plain_message_, held_line_);
        } else if (!builder_.take(tokens_, held_line_, found)) {
            error_ = found;
        }
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
        // Most lines of a recording: read at once, without tokens.
        if (plain_first_ && read_plain_tag_line(line_, plain_tag_) &&
            builder_.take_plain_tag(plain_tag_)) {
            continue;
        }
        if (plain_first_ && read_plain_message_line(line_, plain_message_)) {
            if (!builder_.building()) {
                builder_.take_plain_message(plain_message_, lines_.number());
                continue;
            }
            return hold_message(true, message);
        }
        // Blank lines and comments, whatever the comment holds.
        const char *first = line_.data();
        const char *const end = first + line_.size();
        while (first != end && is_token_blank(*first)) ++first;
        if (first == end || *first == '#') continue;
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
        if (tokens_[0] == "message" && builder_.building()) return hold_message(false, message);
        ScriptError found;
        if (!builder_.take(tokens_, lines_.number(), found)) error_ = found;
    }
    if (error_) {
        error = *error_;
        return Status::kError;
    }
    if (!builder_.building()) return Status::kEnd;
    builder_.take_message(message);
    return Status::kMessage;
}

}  // namespace tavlo::script
