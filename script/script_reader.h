// The messages of a script, read one at a time from a stream.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "line_reader.h"
#include "script_builder.h"
#include "text_tokens.h"

namespace tavlo::script {

// The line from which quoted tokens take escapes (text_tokens.h).
constexpr char kEscapesLine[] = "escapes";

// Reads a script message by message, holding no more than the message being
// built and one line: a script of any length streams, its first message
// ready as soon as its lines are read.
class ScriptReader {
public:
    enum class Status { kMessage, kEnd, kError };

    // How lines are read: the lines of the plain shape a recording is
    // written in by the one-pass readers, or every line by the general
    // reader (slower; the same messages and errors, which checks the others).
    enum class Lines { kPlainFirst, kGeneralOnly };

    explicit ScriptReader(std::istream &text, Lines lines = Lines::kPlainFirst)
        : lines_(text), plain_first_(lines == Lines::kPlainFirst) {}
    // Reads the file descriptor (not owned) in blocks, as LineReader does.
    explicit ScriptReader(int fd) : lines_(fd) {}

    // The next message. After kError, with the line in error and the
    // reason, every later call gives the same error.
    Status next(ScriptMessage &message, ScriptError &error);

private:
    // Holds the message line just read, for the next call, and hands out
    // the message built before it.
    Status hold_message(bool plain, ScriptMessage &message);

    LineReader lines_;
    ScriptBuilder builder_;
    std::string_view line_;           // in lines_
    PlainTagLine plain_tag_;          // of line_
    PlainMessageLine plain_message_;  // of line_
    Tokens tokens_;                   // of line_, or of unescaped_
    std::string unescaped_;
    Quoting quoting_ = Quoting::kPlain;  // escapes from an escapes line on
    bool holding_ = false;               // a message line read ahead is held
    bool holding_plain_ = false;         // in plain_message_, else in tokens_
    int held_line_ = 0;
    std::optional<ScriptError> error_;
    bool plain_first_ = true;
};

}  // namespace tavlo::script
