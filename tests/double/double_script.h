// The script a test gives the client-library double: what each call does.
//
// One line per call outcome, in call order for each function; blank lines
// and lines starting with # are skipped. Tokens are blank-separated; a token
// in double quotes may hold blanks.
//
//   init ok | init fail F/E ...        outcome of TAVLO_CLIENT_INIT
//   connect ok | connect fail F/E ...  outcome of one TAVLO_CLIENT_CONNECT
//   connect wait                       a connect that waits, as a failing
//                                      connect pauses, until a signal cuts
//                                      the wait short; it then fails 20/20008
//   exit ok | exit fail F/E ...        outcome of TAVLO_CLIENT_EXIT
//   read fail F/E ...                  a failed TAVLO_CLIENT_READ
//   read wait                          reads that fail with "no message" after
//                                      a fifth of a second each, until a
//                                      signal cuts one short
//   read message KIND DEVICE UNIT LIST LAYOUT
//     tag NAME TYPE DEVICE_TYPE SIZE VALUE STATUS FACILITY DRIVER MS SECONDS
//
// A failing block holds the F/E pairs given and 9/999 in the entries after
// them, so that a listing that does not stop at an error of -1 shows.
// LAYOUT of the names: 40 (blank-padded to 39, NUL as byte 40), 256 (name,
// then NULs) or 256pad (blank-padded, NUL at byte 255). VALUE by TYPE: a
// number, the text of an ASCII value (SIZE bytes, NUL-filled), MS,SECONDS
// for a TIME value, or - for no value bytes.
// Calls without a scripted outcome succeed, except a read: the double then
// logs "SCRIPT EXHAUSTED" and ends the process with status 97.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "tavlo.h"

namespace tavlo::test_double {

struct Entry {
    int32_t facility;
    int32_t error;
};

struct Outcome {
    bool ok = true;
    std::vector<Entry> entries;
    bool wait = false;  // waits for a signal first (connect wait)
};

struct ScriptedTag {
    std::string name;
    int16_t data_type = 0;
    int16_t device_data_type = 0;
    std::vector<unsigned char> value;
    TagStatus status{};
    TimeRecord timestamp{};
};

struct ScriptedRead {
    enum class Kind { kFail, kWait, kMessage } kind = Kind::kFail;
    Outcome failure;
    MessageKind message_kind = 0;
    std::string device;
    int32_t unit = 0;
    int32_t list_id = 0;
    std::string layout;
    std::vector<ScriptedTag> tags;
};

struct Script {
    std::deque<Outcome> inits;
    std::deque<Outcome> connects;
    std::deque<Outcome> exits;
    std::deque<ScriptedRead> reads;
};

// Reads the script file; a line it cannot use ends the process with a
// message on standard error and status 98.
Script load_script(const char *path);

}  // namespace tavlo::test_double
