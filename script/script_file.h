// Script files: the messages a simulator sends, written by hand.
//
//   # a comment
//   message KIND DEVICE UNIT LIST_ID
//   tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS TIMESTAMP
//
// KIND is GET, PUT, DECLARE, CANCEL, UNSOLICITED or a number. TYPE is REAL,
// SHORT, ASCII, LONG, DOUBLE, TIME, or ASCII:N for a text field of N bytes
// (plain ASCII takes the length of the text). DEVICE_TYPE is a type keyword
// as above, ENUM, ORDINAL, DTIME, EXTID, CBAW, CBST, EU, DESC or a number.
// A TIME value and TIMESTAMP are SECONDS or SECONDS.MMM (milliseconds).
// Tokens are blank-separated; double quotes hold texts with blanks. A line
// holds at most 1 MiB; a message's frame at most 16 MiB.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "message_records.h"
#include "script_builder.h"

namespace tavlo::script {

// Reads every message of the script: its lines (each with a length limit),
// the tokens of each line, and the messages built from them. Returns false,
// with the first line in error, when any line cannot be used.
bool parse_script(std::istream &text, std::vector<records::Message> &messages, ScriptError &error);

// Reads the script file at `path`. Returns "" when it was read, else the
// problem for an error line: "cannot open PATH: REASON", "PATH: is a
// folder, not a script", or "PATH:LINE: REASON".
std::string read_script_file(const std::string &path, std::vector<records::Message> &messages);

}  // namespace tavlo::script
