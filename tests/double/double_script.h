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
//   message ..., then tag ... lines    a read that returns this message, in
//                                      the lines of a script file
//                                      (script_reader.h), laid out as the
//                                      stand-in lays out a message; after
//                                      an escapes line, quoted tokens take
//                                      escapes ("NAME\x00" ends a name early)
//
// A failing block holds the F/E pairs given and 9/999 in the entries after
// them, so that a listing that does not stop at an error of -1 shows.
// Calls without a scripted outcome succeed, except a read: the double then
// logs "SCRIPT EXHAUSTED" and ends the process with status 97.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "message_records.h"

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

struct ScriptedRead {
    enum class Kind { kFail, kWait, kMessage } kind = Kind::kFail;
    Outcome failure;
    records::Message message;
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
