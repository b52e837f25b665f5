// The simulator's command line.
#include "devsim_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tavlo::devsim {

const char *const kDevsimHelp =
    "Usage: tavlo_devsim [options]\n"
    "\n"
    "Serves a simulated device over TCP: every connected client gets every\n"
    "message, from the simulated plant or from a script file.\n"
    "\n"
    "  --port N           port to listen on (default 7301; 0 takes a free one)\n"
    "  --bind ADDRESS     address to listen on (default 127.0.0.1)\n"
    "  --interval MS      milliseconds between messages (default 1000; 0: full speed)\n"
    "  --count N          stop after N messages were sent\n"
    "  --start SECONDS    the plant clock's start, in seconds since 1970 (default: now)\n"
    "  --first-message N  number of the first message (default 0)\n"
    "  --clients N        wait for N clients before the first message (default 1)\n"
    "  --script FILE      send the messages of FILE instead of the plant's\n"
    "  --verbose          print a line for every message sent to a client\n"
    "  --help             print this text\n"
    "\n"
    "Faults, for tests (N is a message's number: its place in the stream from\n"
    "--first-message, for the plant the value of SIM.MESSAGE_NUMBER):\n"
    "  --close-after N    close each connection after N messages\n"
    "  --corrupt-at N     send message N with a payload that breaks the protocol\n"
    "  --truncate-at N    send half of message N's frame, then close\n"
    "  --stall-at N       send half of message N's frame, then nothing more\n"
    "  --oversize-at N    announce a frame far beyond the longest instead of message N\n"
    "\n"
    "The first line printed is \"tavlo_devsim listening on ADDRESS:PORT\".\n"
    "SIGINT and SIGTERM stop the simulator.\n";

namespace {

bool number_of(const char *text, int64_t low, int64_t high, int64_t &value) {
    errno = 0;
    char *end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

}  // namespace

ParsedDevsimCommandLine parse_devsim_command_line(int argc, char **argv) {
    ParsedDevsimCommandLine result;
    DevsimOptions &o = result.options;
    constexpr int64_t kMost = 1LL << 53;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help") {
            result.command = DevsimCommand::kHelp;
            return result;
        }
        if (name == "--verbose") {
            o.verbose = true;
            continue;
        }
        if (i + 1 >= argc) {
            result.command = DevsimCommand::kError;
            result.error = name.rfind("--", 0) == 0 ? "option '" + name + "' needs a value"
                                                    : "unknown argument '" + name + "'";
            return result;
        }
        const char *value = argv[++i];
        int64_t number = 0;
        bool ok = true;
        if (name == "--bind") {
            o.bind_address = value;
        } else if (name == "--script") {
            o.script = value;
        } else if (name == "--port") {
            ok = number_of(value, 0, 65535, number);
            o.port = static_cast<int>(number);
        } else if (name == "--interval") {
            ok = number_of(value, 0, 3600000, o.interval_ms);
        } else if (name == "--count") {
            ok = number_of(value, 1, kMost, o.count);
        } else if (name == "--start") {
            ok = number_of(value, 0, 2147483647, number);
            o.start_seconds = number;
        } else if (name == "--first-message") {
            ok = number_of(value, 0, 1000000000, o.first_message);
        } else if (name == "--clients") {
            ok = number_of(value, 1, 1000, o.clients);
        } else if (name == "--close-after") {
            ok = number_of(value, 1, kMost, o.faults.close_after);
        } else if (name == "--corrupt-at" || name == "--truncate-at" || name == "--stall-at" ||
                   name == "--oversize-at") {
            ok = number_of(value, 0, kMost, number);
            auto &fault = name == "--corrupt-at"    ? o.faults.corrupt_at
                          : name == "--truncate-at" ? o.faults.truncate_at
                          : name == "--stall-at"    ? o.faults.stall_at
                                                    : o.faults.oversize_at;
            fault = number;
        } else {
            result.command = DevsimCommand::kError;
            result.error = "unknown option '" + name + "'";
            return result;
        }
        if (!ok) {
            result.command = DevsimCommand::kError;
            result.error = "bad value '" + std::string(value) + "' for " + name;
            return result;
        }
    }
    return result;
}

}  // namespace tavlo::devsim
