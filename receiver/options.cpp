// The receiver's command line.
#include "options.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "expression_parser.h"
#include "installed_docs.h"
#include "metrics_endpoint.h"
#include "mqtt_options.h"
#include "number_reading.h"
#include "option_rows.h"

namespace tavlo::receiver {

namespace {

constexpr char kUsage[] =
    "Usage: tavlo_t_receiver [options] device_name [app_id]\n"
    "\n"
    "Connects to a device through the TAVLO client library and prints every\n"
    "get, put, declare, cancel and unsolicited-values message it sends.\n"
    "The application id is TAVLOUNSOL unless one is given; names longer than\n"
    "31 characters are cut.\n"
    "\n"
    "Options (before the device name):\n";
// After the options; then the path of the JSON output's document.
constexpr char kAfterOptions[] =
    "\n"
    "SIGINT, SIGTERM and SIGHUP stop the receiver cleanly, as do --count and\n"
    "--timeout, within about a second even while its output waits for a\n"
    "reader (the report being written may then be cut). A failed connect or\n"
    "read is said on standard error; a read that found no message is not.\n"
    "A gap in a device's sequence numbers is said there too, at most one line\n"
    "a second.\n"
    "\n"
    "The JSON lines are described in\n  ";

// The exit statuses that --help lists. A new status is a row here and an
// item under EXIT STATUS in man/tavlo_t_receiver.1, which a test checks.
const std::vector<cli::ExitStatus> kExitStatuses = {
    {0, "stopped as asked (signal, --count, --timeout, output pipe closed)"},
    {1, "the client library could not be initialised"},
    {2,
     "usage: no device name, an empty one, a bad option, or --view where it cannot run (no "
     "terminal, not built in), or --mqtt without a usable spool or password file, or not built "
     "in"},
    {3, "--timeout ran out before the --count messages were shown"},
    {4, "standard output could not be written"},
    {5,
     "the --record FILE could not be opened (a pipe that no program reads, a file that "
     "--append finds is no recording) or written"},
    {6, "an expectation (--expect, --until) failed"},
    {7,
     "the device was never reached: no message read in a run with --expect or --until (it wins "
     "over 6)"},
    {8,
     "the --metrics FILE cannot be written (its folder is missing or not writable), or "
     "--metrics-listen cannot listen on its address"},
    {9, "MQTT messages were not delivered by the end (they stay in the spool)"},
    {10, "the MQTT broker refused the connection at start (credentials, client id, certificate)"},
};

constexpr double kShortestTimeout = 0.001;
constexpr double kLongestTimeout = 1e7;  // about 115 days
constexpr double kShortestStale = 0.01;

std::vector<std::string> format_names() {
    std::vector<std::string> names;
    for (const OutputFormatRow &row : kOutputFormats) names.emplace_back(row.name);
    return names;
}

// The kinds that --kind takes by name.
std::vector<std::string> kind_names() {
    std::vector<std::string> names;
    for (std::size_t k = 0; k < kOtherKinds; ++k) names.emplace_back(kMessageKinds[k].name);
    return names;
}

std::size_t format_row(std::string_view name) {
    std::size_t row = 0;
    while (kOutputFormats[row].name != name) ++row;
    return row;
}

std::string take_kind(const std::string &word, std::vector<MessageKind> &kinds) {
    const std::optional<MessageKind> kind = kind_named(word);
    if (!kind) {
        return "expects get, put, declare, cancel, unsolicited or a whole number, not '" + word +
               "'";
    }
    kinds.push_back(*kind);
    return {};
}

std::string take_list_id(const std::string &word, std::vector<int32_t> &list_ids) {
    int64_t id = 0;
    std::string problem = cli::read_whole_number(word.c_str(), std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max(), id);
    if (problem.empty()) list_ids.push_back(static_cast<int32_t>(id));
    return problem;
}

// --stale DURATION: a decimal number of seconds, or of ms, s, m or h after
// it (--stale 500ms, --stale 2m).
cli::Option stale_duration(std::optional<std::chrono::milliseconds> &stale) {
    return {"stale", true, [&stale](const char *value) {
                static const std::pair<std::string_view, double> kUnits[] = {
                    {"ms", 0.001}, {"s", 1}, {"m", 60}, {"h", 3600}};
                std::string number = value;
                double unit = 1;
                for (const auto &[suffix, seconds] : kUnits) {
                    if (number.size() > suffix.size() &&
                        number.compare(number.size() - suffix.size(), suffix.size(), suffix) == 0) {
                        number.resize(number.size() - suffix.size());
                        unit = seconds;
                        break;
                    }
                }
                double amount = 0;
                if (!cli::read_decimal_number(number.c_str(), kShortestStale / unit,
                                              kLongestTimeout / unit, amount)
                         .empty()) {
                    return std::string("expects a duration such as 5, 1.5s, 500ms or 2m");
                }
                stale = std::chrono::milliseconds(std::llround(amount * unit * 1000));
                return std::string();
            }};
}

// --tag PATTERN, again and again.
cli::Option tag_patterns(std::vector<std::string> &patterns) {
    return {"tag", true, [&patterns](const char *value) {
                const std::string pattern = value;
                if (pattern.empty()) return std::string("needs a value");
                std::string problem = pattern_problem(pattern);
                if (problem.empty()) patterns.push_back(pattern);
                return problem;
            }};
}

// --expect EXPR, again and again, and --until EXPR.
cli::Option expectation(const char *name, expect::JudgementSettings &judgement) {
    return {name, true, [name, &judgement](const char *value) {
                const bool until = std::string_view(name) == "until";
                if (!until && expect::is_sequence_check(value)) {
                    judgement.sequence_checks.emplace_back(value);
                    return std::string();
                }
                expect::ParseResult parsed =
                    until ? expect::parse_condition(value) : expect::parse_expectation(value);
                if (!parsed.expression) return parsed.problem;
                if (until) {
                    judgement.until = std::move(*parsed.expression);
                } else {
                    judgement.expectations.push_back(std::move(*parsed.expression));
                }
                return std::string();
            }};
}

}  // namespace

ParsedCommandLine parse_command_line(int argc, char **argv) {
    ParsedCommandLine result;
    Options &o = result.options;
    bool view = false;
    FilterSettings &filter = o.output.filter;
    // The options in the order of --help. A new option is one row: what it
    // does with its value (option_rows.h), .help() with its value's name
    // and its description, and what the completion offers for the value
    // (files() or offers()) where that is more than nothing; --help and the
    // completion take it from here. Its item in man/tavlo_t_receiver.1 is
    // written by hand, and a test checks it against --help.
    std::vector<cli::Option> options = {
        cli::one_of("format", format_names(), [&o](std::size_t row) { o.output.format = row; })
            .help("F",
                  "text (the default): the text report of each message; json: one JSON object a "
                  "line for every message of any kind (see below), and the receiver's own lines "
                  "on standard error; view: the live view (--view); none: nothing on standard "
                  "output (a run that only publishes)"),
        cli::flag("view", view)
            .help(
                "a full-screen table of the tags, one row a tag, kept current (q quits, arrow and "
                "page keys scroll); standard output must be a terminal, and the library's log "
                "lines show in the header instead of on the screen"),
        cli::flag("raw", o.raw)
            .help("on a terminal too, the text report's bytes as they came; without it a device's "
                  "control bytes show there as \\xHH (into a pipe or a file every byte goes out as "
                  "it came)"),
        cli::list("kind", [&filter](const std::string &w) { return take_kind(w, filter.kinds); })
            .help("LIST",
                  "show only messages of these kinds: get, put, declare, cancel, unsolicited or a "
                  "number (--kind unsolicited,get)")
            .offers(kind_names()),
        cli::list("list",
                  [&filter](const std::string &w) { return take_list_id(w, filter.list_ids); })
            .help("LIST", "show only messages of these list ids (--list 101,102)"),
        tag_patterns(filter.tag_patterns)
            .help("PATTERN",
                  "show only tags whose name (without its padding) matches the shell-style "
                  "pattern; may be given again; a message with no tag left is not shown"),
        cli::whole("count", o.count, 1, std::numeric_limits<int64_t>::max())
            .help("N", "stop after N messages shown"),
        cli::decimal("timeout", o.timeout_seconds, kShortestTimeout, kLongestTimeout)
            .help("S", "stop after S seconds (a decimal number)"),
        cli::text("record", o.record_path)
            .help("FILE",
                  "also write every message read, of every kind, to FILE in the script format of "
                  "tavlo_devsim, which replays it")
            .files(),
        cli::flag("append", o.append)
            .help("add to a recording that exists (a message cut short at its end is taken off "
                  "first)"),
        cli::flag("force", o.force).help("replace a FILE that exists"),
        cli::flag("stats", o.output.stats)
            .help("at the end, a summary of the run on standard error, with the messages missing "
                  "in the devices' sequences and the latency of the tags"),
        expectation("expect", o.judgement)
            .help("EXPR",
                  "judge every message read (before the filters) by EXPR, a test of tags such as "
                  "'BOILER.TEMPERATURE >= 60 within 10s' (the language is in the manual page); "
                  "may be given again; at the end a verdict for each on standard error"),
        expectation("until", o.judgement)
            .help("EXPR", "end the run as soon as EXPR holds (--timeout the deadline)"),
        cli::flag("fail-fast", o.judgement.fail_fast)
            .help("end the run at the first expectation that fails"),
        cli::text("junit", o.judgement.junit_path)
            .help("FILE", "the verdicts also as a JUnit XML report in FILE")
            .files(),
        cli::text("tap", o.judgement.tap_path)
            .help("FILE", "the verdicts also as TAP 13 in FILE")
            .files(),
        stale_duration(o.output.stale)
            .help("D",
                  "say on standard error when a tag got no update for D (5, 1.5s, 500ms, 2m), and "
                  "when it comes back; the view dims it meanwhile, and --stats counts them"),
        cli::text("metrics", o.metrics_path)
            .help("FILE",
                  "the run's metrics for Prometheus in FILE, rewritten every second (through "
                  "FILE.tmp and a rename)")
            .files(),
        cli::text("metrics-listen", o.metrics_listen)
            .help("[ADDRESS:]PORT",
                  "the same over HTTP at /metrics (on 127.0.0.1 unless an address is given; port "
                  "0: one the system picks, said on standard error)"),
    };
    for (cli::Option &option : mqtt::mqtt_options(o.mqtt)) options.push_back(std::move(option));
    const std::string after = kAfterOptions + json_output_document() + "\n";
    const cli::Program program = {kProgramName, kUsage, after.c_str(), kExitStatuses, true};
    const cli::Parsed parsed = cli::read_options(program, options, argc, argv);
    result.stop = parsed.stop;
    int i = parsed.operands;
    if (i < argc) o.device = argv[i++];
    if (i < argc) o.app_id = argv[i++];
    if (!result.stop && o.device != nullptr && *o.device == '\0') {
        result.stop = cli::usage_error(program, "device_name", "is empty");
    }
    if (!result.stop && (o.append || o.force) && o.record_path.empty()) {
        result.stop =
            cli::usage_error(program, o.append ? "--append" : "--force", "needs --record");
    }
    // Standard output carries the report: a recording there would be mixed
    // into it, and a file named - is rarely what was meant.
    if (!result.stop && o.record_path == "-") {
        result.stop = cli::usage_error(program, "--record",
                                       "- is no file name here: standard output has the report "
                                       "(./- is a file named -)");
    }
    if (!result.stop && o.append && o.force) {
        result.stop = cli::usage_error(program, "--force", "contradicts --append");
    }
    if (!result.stop && !o.judgement.any()) {
        const char *needs = o.judgement.fail_fast             ? "--fail-fast"
                            : !o.judgement.junit_path.empty() ? "--junit"
                            : !o.judgement.tap_path.empty()   ? "--tap"
                                                              : nullptr;
        if (needs != nullptr)
            result.stop = cli::usage_error(program, needs, "needs --expect or --until");
    }
    if (!result.stop && !o.metrics_listen.empty()) {
        std::string problem = metrics::endpoint_unavailable();
        if (problem.empty()) {
            problem =
                metrics::read_listen_address(o.metrics_listen, o.metrics_address, o.metrics_port);
        }
        if (!problem.empty()) result.stop = cli::usage_error(program, "--metrics-listen", problem);
    }
    if (!result.stop) {
        if (const auto [option, problem] = mqtt::mqtt_settings_problem(o.mqtt); !problem.empty()) {
            result.stop = cli::usage_error(program, option, problem);
        }
    }
    if (view) o.output.format = format_row("view");
    // The JSON lines and the live view have escapes of their own.
    if (!result.stop && o.raw && o.output.format != format_row("text")) {
        result.stop = cli::usage_error(program, "--raw", "is for the text report alone");
    }
    if (const auto unavailable = kOutputFormats[o.output.format].unavailable;
        !result.stop && unavailable != nullptr) {
        if (const std::string problem = unavailable(); !problem.empty()) {
            result.stop = cli::usage_error(program, "--view", problem);
        }
    }
    return result;
}

}  // namespace tavlo::receiver
