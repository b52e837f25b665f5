// Script files: the messages a simulator sends, written by hand or recorded
// by the receiver, read one at a time (docs/devsim.md has the whole format).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "message_records.h"
#include "script_text.h"
#include "unique_fd.h"

namespace tavlo::script {

// Lines of a text stream, each read with a limit on its length.

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
    // Up to `room` bytes of the file at `to`: what one read(2) gives; 0 at
    // the end.
    std::size_t read_some(char *to, std::size_t room);

    int fd_;
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

// The messages of a script, built line by line from the tokens of each line.

// A message of a script, and the time a recording receiver got it.
struct ScriptMessage {
    records::Message message;
    std::optional<int64_t> received;  // at=, in milliseconds since 1970
};

// The tokens of a line.
using Tokens = std::vector<std::string_view>;

struct ScriptError {
    int line = 0;
    std::string reason;
    bool cut_short = false;  // the file ends in the middle of a message
};

class ScriptBuilder {
public:
    // Takes the tokens (at least one) of line `number`: a message line,
    // which starts a message (finish() handed out the one before), or a tag or more
    // line of the message being built. Returns false, with the error, when
    // the line cannot be used; a message that grows beyond the longest frame
    // is an error of its message line. A message is checked as it grows, so
    // it never holds much more than one frame.
    bool take(const Tokens &tokens, int number, ScriptError &error);

    // Whether a message is being built.
    bool building() const { return building_; }

    // Whether the message being built is whole: as many tags as its tags=
    // says, and its last tag as many more lines as its more= says. False,
    // with the error, when it is not.
    bool check_whole(ScriptError &error) const;

    // Ends the message being built and moves it into `message`; then none
    // is being built.
    void finish(ScriptMessage &message);

private:
    // Starts a message of the line's number; the line's fields are set after.
    void begin_message(int number);
    // Whether the last tag has as many more lines as its more= says.
    bool more_lines_whole() const { return !more_given_ || *more_given_ == more_lines_; }
    // more_lines_whole(), or false with the error of the last tag's line.
    bool check_more_lines(ScriptError &error) const;
    std::string start_message(const Tokens &tokens);
    std::string add_tag(const Tokens &tokens);
    std::string add_more(const Tokens &tokens);
    // Adds the tag's bytes to its message's frame; whether it still fits.
    bool still_fits(const records::TagValue &tag);
    // A tag added to the message, its strings and vectors used before.
    records::TagValue &new_tag();

    ScriptMessage message_;
    std::size_t tags_ = 0;  // of message_.message.tags, the tags of the message built
    bool building_ = false;
    int32_t messages_ = 0;               // message lines taken: the sequence numbers by default
    int message_line_ = 0;               // of the message being built
    uint64_t value_bytes_ = 0;           // of its values
    int32_t name_stride_ = 0;            // of its names
    std::optional<int32_t> tags_given_;  // tags= of the message built
    std::size_t hex_given_ = 0;          // bytes given so far of the last tag's CODE:SIZE value
    bool hex_open_ = false;              // the last tag has a CODE:SIZE value
    int tag_line_ = 0;                   // of the last tag
    std::optional<int32_t> more_given_;  // more= of the last tag
    int32_t more_lines_ = 0;             // more lines after the last tag's line
};

// The messages of a script, read one at a time from a stream.

// The first line of a file the receiver records, which says that it is a
// recording (to --append, say). A comment, so that every reader takes it.
constexpr char kRecordingLine[] = "# recorded by tavlo_t_receiver";

// The line from which quoted tokens take escapes (script_text.h).
constexpr char kEscapesLine[] = "escapes";

// Reads a script message by message, holding no more than the message being
// built and one line: a script of any length streams, its first message
// ready as soon as its lines are read. A last line without a line end is a
// line in error: the receiver ends every line it writes, so such a file was
// cut short (a full disk, a kill, a copy still in progress).
class ScriptReader {
public:
    enum class Status { kMessage, kEnd, kError };

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

// The lines of a script:
//
//   # a comment
//   message KIND DEVICE UNIT LIST_ID [seq=N] [tags=N] [names=40|256]
//       [at=SECONDS.MMM]
//   tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS TIMESTAMP
//       [elements=N] [stamp-ms=N] [more=N]
//   more HEX
//
// KIND is GET, PUT, DECLARE, CANCEL, UNSOLICITED or a number. TYPE and
// VALUE are as script_text.h says. DEVICE_TYPE is a type keyword, ENUM,
// ORDINAL, DTIME, EXTID, CBAW, CBST, EU, DESC or a number. A TIMESTAMP is
// SECONDS or SECONDS.MMM (milliseconds). Tokens are blank-separated; double
// quotes hold texts with blanks and escapes (script_text.h). A line holds
// at most 1 MiB; a message's frame at most 16 MiB.

// A script file read message by message, and again from its start.
class ScriptFile {
public:
    // Opens the script at `path`. Returns "" when it is open, else the
    // problem for an error line: "cannot open PATH: REASON" or "PATH: is a
    // folder, not a script".
    std::string open(const std::string &path);

    // The next message. At the end of the file kEnd; kError with the
    // problem "PATH:LINE: REASON" for a line that cannot be used.
    ScriptReader::Status next(ScriptMessage &message, std::string &problem);

    // Opens the file again, to read it from its first line; "" or the
    // problem, as open() says it.
    std::string rewind() { return open(path_); }

private:
    std::string path_;
    std::optional<ScriptReader> reader_;
    posix::UniqueFd file_;
};

}  // namespace tavlo::script
