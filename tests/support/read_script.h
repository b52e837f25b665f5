// A script given as text, read as the simulator reads a script file.
#pragma once

#include <string>
#include <vector>

#include "message_records.h"
#include "script_reader.h"
#include "temporary_files.h"

namespace tavlo::testing {

// Reads every message of `text`. Returns false, with the first line in
// error and no messages, when any line cannot be used.
inline bool read_script(const std::string &text, std::vector<records::Message> &messages,
                        script::ScriptError &error) {
    const posix::UniqueFd file = unlinked_file(text);
    script::ScriptReader reader(file.get());
    script::ScriptMessage message;
    messages.clear();
    for (;;) {
        switch (reader.next(message, error)) {
            case script::ScriptReader::Status::kMessage: messages.push_back(message.message); break;
            case script::ScriptReader::Status::kEnd: return true;
            case script::ScriptReader::Status::kError: messages.clear(); return false;
        }
    }
}

}  // namespace tavlo::testing
