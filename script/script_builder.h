// The messages of a script, built line by line from the tokens of each line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "message_records.h"

namespace tavlo::script {

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
    // which starts a message (the one before was taken), or a tag or more
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

    // Hands out the message being built; then none is.
    void take_message(ScriptMessage &message);

private:
    // Starts a message of the line's number; the line's fields are set after.
    void begin_message(int number);
    // Whether the last tag has as many more lines as its more= says.
    bool more_lines_whole() const { return !more_given_ || *more_given_ == more_lines_; }
    // more_lines_whole(), or false with the error of the last tag's line.
    bool check_more_lines(ScriptError &error) const;
    const char *start_message(const Tokens &tokens);
    const char *add_tag(const Tokens &tokens);
    const char *add_more(const Tokens &tokens);
    // Adds the tag's bytes to its message's frame; whether it still fits.
    bool still_fits(const records::TagValue &tag);
    // A tag added to the message, its strings and vectors used before.
    records::TagValue &new_tag();

    ScriptMessage message_;
    std::size_t tags_ = 0;  // of message_.message.tags, the tags of the message built
    std::vector<records::TagValue> spare_tags_;  // used before, for new_tag()
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

}  // namespace tavlo::script
