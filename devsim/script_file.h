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
// Tokens are blank-separated; double quotes hold texts with blanks.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "message_records.h"

namespace tavlo::devsim {

struct ScriptError {
    int line = 0;
    std::string reason;
};

// Reads every message of the script. Returns false, with the first line in
// error, when any line cannot be used.
bool parse_script(std::istream &text, std::vector<records::Message> &messages, ScriptError &error);

}  // namespace tavlo::devsim
