// The simulator's command line.
#include "devsim_options.h"

#include <set>
#include <utility>
#include <vector>

#include "number_reading.h"
#include "option_rows.h"

namespace tavlo::devsim {

namespace {

constexpr char kUsage[] =
    "Usage: tavlo_devsim [options]\n"
    "\n"
    "Serves a simulated device over TCP: every connected client gets every\n"
    "message, from the simulated plant or from a script file.\n"
    "\n";
constexpr char kAfterOptions[] =
    "\n"
    "The first line printed is \"tavlo_devsim listening on ADDRESS:PORT\".\n"
    "SIGINT and SIGTERM stop the simulator.\n";

// The exit statuses that --help lists; each is an item of
// man/tavlo_devsim.1 too, which a test checks.
const cli::Program kProgram = {
    "tavlo_devsim",
    kUsage,
    kAfterOptions,
    {
        {0, "stopped by a signal or after --count"},
        {1, "it could not listen"},
        {2, "usage: a bad command line, or a script whose first message cannot be used"},
        {3, "a line in error ended the script after the start: the clients did not get all of it"},
        {4, "standard output could not be written (--help, --version)"},
    }};
constexpr int64_t kMost = int64_t{1} << 53;
constexpr double kFastest = 1e6;
// The slowest speed but 0: a recorded millisecond becomes 1000 seconds.
constexpr double kSlowest = 1e-6;

// --speed: 0, or from kSlowest to kFastest.
cli::Option speed_option(double &speed) {
    return {"speed", true, [&speed](const char *value) {
                double f = 0;
                if (!cli::read_decimal_number(value, 0, kFastest, f).empty() ||
                    (f > 0 && f < kSlowest)) {
                    return std::string("expects 0 or a decimal number from 0.000001 to 1000000");
                }
                speed = f;
                return std::string();
            }};
}

// Makes every option's action note, in `given`, that the option was given.
void note_given(std::vector<cli::Option> &options, std::set<std::string> &given) {
    for (cli::Option &row : options) {
        row.action = [action = std::move(row.action), name = std::string(row.name),
                      &given](const char *value) {
            given.insert(name);
            return action(value);
        };
    }
}

// "--NAME VALUE", the way a refusal names the option that makes another
// do nothing.
std::string written(const char *name, int64_t value) {
    return std::string("--") + name + " " + std::to_string(value);
}

// The first fault of the command line that no message of the stream can
// meet: one at a message before --first-message or past --count, or
// --close-after more messages than --count; or a detail of --skip-at
// without it.
std::optional<cli::Stop> check_faults(const DevsimOptions &o, const std::set<std::string> &given) {
    const Faults &f = o.faults;
    const std::pair<const char *, const std::optional<int64_t> &> at[] = {
        {"corrupt-at", f.corrupt_at},   {"truncate-at", f.truncate_at}, {"stall-at", f.stall_at},
        {"oversize-at", f.oversize_at}, {"skip-at", f.skip_at},
    };
    for (const auto &[name, number] : at) {
        if (!number) continue;
        const std::string option = std::string("--") + name;
        if (*number < o.first_message) {
            return cli::usage_error(
                kProgram, option, "does nothing with " + written("first-message", o.first_message));
        }
        if (o.count > 0 && *number >= o.first_message + o.count) {
            return cli::usage_error(kProgram, option,
                                    "does nothing with " + written("count", o.count));
        }
    }
    for (const char *name : {"skip", "skip-client"}) {
        if (given.count(name) && !f.skip_at) {
            return cli::usage_error(kProgram, std::string("--") + name, "needs --skip-at");
        }
    }
    if (o.count > 0 && f.close_after > o.count) {
        return cli::usage_error(kProgram, "--close-after",
                                "does nothing with " + written("count", o.count));
    }
    return std::nullopt;
}

// The first option of the command line that does nothing with the others
// given: what only a script, only recorded pacing, only the plant or only a
// pace that drops slow clients can use.
std::optional<cli::Stop> check_combination(const DevsimOptions &o,
                                           const std::set<std::string> &given) {
    const bool script = !o.script.empty();
    const bool recorded = o.pace == PaceKind::kRecorded;
    if (given.count("pace") && !script) {
        return cli::usage_error(kProgram, "--pace",
                                recorded ? "recorded needs --script" : "interval needs --script");
    }
    if (given.count("loop") && !script) {
        return cli::usage_error(kProgram, "--loop", "needs --script");
    }
    if (o.exit_at_end && !script) {
        return cli::usage_error(kProgram, "--exit-at-end", "needs --script");
    }
    if (o.exit_at_end && o.loop == 0) {
        return cli::usage_error(kProgram, "--exit-at-end", "does nothing with --loop 0");
    }
    if (given.count("speed") && !recorded) {
        return cli::usage_error(kProgram, "--speed", "needs --pace recorded");
    }
    if (given.count("start") && script) {
        return cli::usage_error(kProgram, "--start", "does nothing with --script");
    }
    if (given.count("interval") && recorded) {
        return cli::usage_error(kProgram, "--interval", "does nothing with --pace recorded");
    }
    if (given.count("max-queue")) {
        // A client too far behind is dropped only when a message is due at
        // a pace, and only with --slow-client drop.
        std::string other;
        if (o.slow_client == SlowClient::kWait) {
            other = "--slow-client wait";
        } else if (!recorded && o.interval_ms == 0) {
            other = "--interval 0";
        } else if (recorded && o.speed == 0) {
            other = "--speed 0";
        }
        if (!other.empty()) {
            return cli::usage_error(kProgram, "--max-queue", "does nothing with " + other);
        }
    }
    return check_faults(o, given);
}

}  // namespace

ParsedDevsimCommandLine parse_devsim_command_line(int argc, char **argv) {
    ParsedDevsimCommandLine result;
    DevsimOptions &o = result.options;
    // The options in the order of --help, each with its value's name and
    // its description, from which --help and the completion are made.
    std::vector<cli::Option> options = {
        cli::whole("port", o.port, 0, 65535)
            .help("N", "port to listen on (default 7301; 0 takes a free one)"),
        cli::text("bind", o.bind_address)
            .help("ADDRESS", "address to listen on (default 127.0.0.1)")
            .offers({"127.0.0.1", "::1", "0.0.0.0", "::"}),
        cli::whole("interval", o.interval_ms, 0, 3600000)
            .help("MS", "milliseconds between messages (default 1000; 0: full speed)"),
        cli::whole("count", o.count, 1, kMost).help("N", "stop after N messages were sent"),
        cli::whole("start", o.start_seconds, 0, 2147483647)
            .help("SECONDS", "the plant clock's start, in seconds since 1970 (default: now)"),
        cli::whole("first-message", o.first_message, 0, 1000000000)
            .help("N", "number of the first message (default 0)"),
        cli::whole("clients", o.clients, 1, 1000)
            .help("N", "wait for N clients before the first message (default 1)"),
        cli::text("script", o.script)
            .help("FILE", "send the messages of FILE instead of the plant's")
            .files(),
        cli::one_of(
            "pace", {"interval", "recorded"},
            [&o](std::size_t k) { o.pace = k == 0 ? PaceKind::kInterval : PaceKind::kRecorded; })
            .help("interval|recorded",
                  "send a script's messages at --interval (default), or at the distances of "
                  "their recorded times"),
        speed_option(o.speed).help("F",
                                   "with --pace recorded, divide the distances by F, 0.000001 to "
                                   "1000000 (default 1; 0: as fast as the clients read)"),
        cli::whole("loop", o.loop, 0, kMost)
            .help("N",
                  "play the script N times (default 1; 0: for ever); other than 1, the script "
                  "must be a regular file"),
        cli::flag("exit-at-end", o.exit_at_end)
            .help("with --script: once every client was handed the last message, close the "
                  "connections and exit (status 0, or 3 when a line in error ended the script)"),
        cli::flag("verbose", o.verbose).help("print a line for every message sent to a client"),
        cli::one_of(
            "slow-client", {"drop", "wait"},
            [&o](std::size_t k) { o.slow_client = k == 0 ? SlowClient::kDrop : SlowClient::kWait; })
            .help("drop|wait",
                  "drop a client that cannot keep up (default), or make everyone wait for the "
                  "slowest"),
        cli::whole_number(
            "max-queue", 1, 4096,
            [&o](int64_t mib) { o.max_queue_bytes = static_cast<std::size_t>(mib) << 20; })
            .help("MIB",
                  "with --interval, drop a client that has more than this waiting when a message "
                  "is due (default 16)"),
        cli::whole("close-after", o.faults.close_after, 1, kMost)
            .help("N", "close each connection after N messages")
            .after_paragraph("Faults, for tests (N is a message's number: its place in the stream "
                             "from --first-message, for the plant the value of "
                             "SIM.MESSAGE_NUMBER):"),
        cli::whole("corrupt-at", o.faults.corrupt_at, 0, kMost)
            .help("N", "send message N with a payload that breaks the protocol"),
        cli::whole("truncate-at", o.faults.truncate_at, 0, kMost)
            .help("N", "send half of message N's frame, then close"),
        cli::whole("stall-at", o.faults.stall_at, 0, kMost)
            .help("N", "send half of message N's frame, then nothing more"),
        cli::whole("oversize-at", o.faults.oversize_at, 0, kMost)
            .help("N", "announce a frame far beyond the longest instead of message N"),
        cli::whole("skip-at", o.faults.skip_at, 0, kMost)
            .help("N",
                  "send none of the --skip messages from message N on: a gap in the sequence "
                  "numbers a receiver sees"),
        cli::whole("skip", o.faults.skip, 1, kMost)
            .help("K", "how many messages --skip-at leaves out (default 1)"),
        cli::whole("skip-client", o.faults.skip_client, 1, 1000000)
            .help("C",
                  "leave them out for client C alone (the number of its \"client C connected\" "
                  "line); default: for every client"),
    };
    std::set<std::string> given;
    note_given(options, given);
    result.stop = cli::read_options_alone(kProgram, options, argc, argv).stop;
    if (!result.stop) result.stop = check_combination(o, given);
    return result;
}

}  // namespace tavlo::devsim
