// Script files: the messages a simulator sends, written by hand or recorded
// by the receiver (docs/devsim.md has the whole format).
//
//   # a comment
//   message KIND DEVICE UNIT LIST_ID [seq=N] [names=40|256] [at=SECONDS.MMM]
//   tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS TIMESTAMP
//       [elements=N] [stamp-ms=N]
//   more HEX
//
// KIND is GET, PUT, DECLARE, CANCEL, UNSOLICITED or a number. TYPE and
// VALUE are as value_text.h says. DEVICE_TYPE is a type keyword, ENUM,
// ORDINAL, DTIME, EXTID, CBAW, CBST, EU, DESC or a number. A TIMESTAMP is
// SECONDS or SECONDS.MMM (milliseconds). Tokens are blank-separated; double
// quotes hold texts with blanks and escapes (text_tokens.h). A line holds
// at most 1 MiB; a message's frame at most 16 MiB.
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "message_records.h"
#include "script_reader.h"
#include "unique_fd.h"

namespace tavlo::script {

// Reads every message of the script. Returns false, with the first line in
// error, when any line cannot be used.
bool parse_script(std::istream &text, std::vector<records::Message> &messages, ScriptError &error);

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
