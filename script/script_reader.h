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

// The first line of a file the receiver records, which says that it is a
// recording (to --append, say). A comment, so that every reader takes it.
constexpr char kRecordingLine[] = "# recorded by tavlo_t_receiver";

// The line from which quoted tokens take escapes (text_tokens.h).
constexpr char kEscapesLine[] = "escapes";

// Reads a script message by message, holding no more than the message being
// built and one line: a script of any length streams, its first message
// ready as soon as its lines are read. A last line without a line end is a
// line in error: the receiver ends every line it writes, so such a file was
// cut short (a full disk, a kill, a copy still in progress).
class ScriptReader {
public:
    enum class Status { kMessage, kEnd, kError };

    explicit ScriptReader(std::istream &text) : lines_(text) {}
    // Reads the file descriptor (not owned) in blocks, as LineReader does.
    explicit ScriptReader(int fd) : lines_(fd) {}

    // The rest of a recording from one of its message lines on, as it
    // reads after the lines before it: with escapes.
    static ScriptReader recording_from(int fd);

    // The next message. After kError, with the line in error and the
    // reason, every later call gives the same error.
    Status next(ScriptMessage &message, ScriptError &error);

private:
    // Holds the message line just read, for the next call, and hands out
    // the message built before it, when it is whole.
    Status hold_message(ScriptMessage &message, ScriptError &error);

    LineReader lines_;
    ScriptBuilder builder_;
    std::string_view line_;  // in lines_
    Tokens tokens_;          // of line_, or of unescaped_
    std::string unescaped_;
    Quoting quoting_ = Quoting::kPlain;  // escapes from an escapes line on
    bool holding_ = false;               // a message line read ahead is held in tokens_
    int held_line_ = 0;
    std::optional<ScriptError> error_;
};

}  // namespace tavlo::script
