// The messages of a script, built line by line from the tokens of each line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "message_records.h"

namespace tavlo::script {

struct ScriptError {
    int line = 0;
    std::string reason;
};

class ScriptBuilder {
public:
    // Takes the tokens (at least one) of line `number`: a message line or a
    // tag line of the last message. Returns false, with the error, when the
    // line cannot be used; a message that grows beyond the longest frame is
    // an error of the line of its message line. A message is checked as it
    // grows, so it never holds much more than one frame.
    bool take(const std::vector<std::string> &tokens, int number, ScriptError &error);

    // The messages built so far; the builder is empty after.
    std::vector<records::Message> take_messages() { return std::move(messages_); }

private:
    // Adds the tag's bytes to its message's frame; whether it still fits.
    bool still_fits(const records::TagValue &tag);

    std::vector<records::Message> messages_;
    int message_line_ = 0;      // of the last message
    uint64_t value_bytes_ = 0;  // of the last message's values
    int32_t name_stride_ = 0;   // of the last message's names
};

}  // namespace tavlo::script
