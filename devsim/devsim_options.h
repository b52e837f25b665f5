// The simulator's command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "command_line.h"

namespace tavlo::devsim {

// Faults put into the stream on purpose, for tests. A message's number is
// its place in the stream, from --first-message (0 unless given): for the
// plant the value of its SIM.MESSAGE_NUMBER tag.
struct Faults {
    int64_t close_after = 0;             // close a connection after this many messages
    std::optional<int64_t> corrupt_at;   // send this message with a payload that breaks the rules
    std::optional<int64_t> truncate_at;  // send half of this message's frame, then close
    std::optional<int64_t> stall_at;     // send half of this message's frame, then nothing
    std::optional<int64_t> oversize_at;  // announce a frame far beyond the longest, instead
    std::optional<int64_t> skip_at;      // send none of `skip` messages from this one on
    int64_t skip = 1;
    int64_t skip_client = 0;  // to this client alone (its number in the log); 0: to all
};

// What the simulator does with a client that cannot keep up.
enum class SlowClient {
    kDrop,  // paced: drop it once its queue passes max_queue_bytes; at full
            // speed: drop it once it took nothing for the link's silence limit
    kWait,  // everyone waits for the slowest client
};

// How a script's messages are paced.
enum class PaceKind {
    kInterval,  // --interval between messages
    kRecorded,  // at the distances of their recorded times, scaled by --speed
};

struct DevsimOptions {
    std::string bind_address = "127.0.0.1";
    int port = 7301;
    int64_t interval_ms = 1000;
    int64_t count = 0;  // stop after this many messages were sent; 0: never
    std::optional<int64_t> start_seconds;
    int64_t first_message = 0;
    int64_t clients = 1;  // clients to wait for before the first message
    std::string script;
    PaceKind pace = PaceKind::kInterval;
    double speed = 1;          // recorded distances are divided by it; 0: as fast as clients read
    int64_t loop = 1;          // passes through the script; 0: for ever
    bool exit_at_end = false;  // end once every client was handed the script's last message
    bool verbose = false;
    SlowClient slow_client = SlowClient::kDrop;
    // Paced, a client with more than this waiting for it when a message is
    // due is dropped: 16 MiB hold some 190 s of the plant at 10 ms.
    std::size_t max_queue_bytes = std::size_t{16} << 20;
    Faults faults;
};

struct ParsedDevsimCommandLine {
    DevsimOptions options;
    std::optional<cli::Stop> stop;  // --help, --version or a bad command line
};

ParsedDevsimCommandLine parse_devsim_command_line(int argc, char **argv);

}  // namespace tavlo::devsim
