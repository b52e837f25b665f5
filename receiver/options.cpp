// The receiver's command line.
#include "options.h"

#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "installed_docs.h"
#include "mqtt_options.h"
#include "number_reading.h"
#include "option_rows.h"

namespace tavlo::receiver {

namespace {

constexpr char kHelpText[] =
    "Usage: tavlo_t_receiver [options] device_name [app_id]\n"
    "\n"
    "Connects to a device through the TAVLO client library and prints every\n"
    "get, put, declare, cancel and unsolicited-values message it sends.\n"
    "The application id is TAVLOUNSOL unless one is given; names longer than\n"
    "31 characters are cut.\n"
    "\n"
    "Options (before the device name):\n"
    "  --format F     text (the default): the text report of each message;\n"
    "                 json: one JSON object a line for every message of any\n"
    "                 kind (see below), and the receiver's own lines on\n"
    "                 standard error; view: the live view (--view); none:\n"
    "                 nothing on standard output (a run that only publishes)\n"
    "  --view         a full-screen table of the tags, one row a tag, kept\n"
    "                 current (q quits, arrow and page keys scroll); standard\n"
    "                 output must be a terminal, and the library's log lines\n"
    "                 show in the header instead of on the screen\n"
    "  --raw          on a terminal too, the text report's bytes as they came;\n"
    "                 without it a device's control bytes show there as \\xHH\n"
    "                 (into a pipe or a file every byte goes out as it came)\n"
    "  --kind LIST    show only messages of these kinds: get, put, declare,\n"
    "                 cancel, unsolicited or a number (--kind unsolicited,get)\n"
    "  --list LIST    show only messages of these list ids (--list 101,102)\n"
    "  --tag PATTERN  show only tags whose name (without its padding) matches\n"
    "                 the shell-style pattern; may be given again; a message\n"
    "                 with no tag left is not shown\n"
    "  --count N      stop after N messages shown\n"
    "  --timeout S    stop after S seconds (a decimal number)\n"
    "  --record FILE  also write every message read, of every kind, to FILE in\n"
    "                 the script format of tavlo_devsim, which replays it\n"
    "  --append       add to a recording that exists (a message cut short at its\n"
    "                 end is taken off first)\n"
    "  --force        replace a FILE that exists\n"
    "  --stats        at the end, a summary of the run on standard error\n"
    "  --mqtt URL     also publish every message shown to the MQTT broker at\n"
    "                 mqtt://HOST[:PORT] or mqtts://HOST[:PORT] (TLS): its JSON\n"
    "                 object, as --format json writes it, one MQTT message each;\n"
    "                 messages wait in a spool on disk until the broker confirms\n"
    "                 them, through outages and restarts of the receiver\n"
    "  --mqtt-topic T the topic from {device}, {unit}, {list}, {kind} and\n"
    "                 {client} (default tavlo/{device}/{list}/{kind}); in a\n"
    "                 field, / + # and bytes outside printable ASCII become _\n"
    "  --mqtt-qos N   0, 1 (the default) or 2\n"
    "  --mqtt-client-id ID\n"
    "                 default tavlo_t_receiver-HOST-DEVICE; the broker keeps its\n"
    "                 session across reconnects\n"
    "  --mqtt-user NAME\n"
    "                 the user name (else $TAVLO_MQTT_USER)\n"
    "  --mqtt-password-file FILE\n"
    "                 the password: the file's first line (else\n"
    "                 $TAVLO_MQTT_PASSWORD)\n"
    "  --mqtt-cafile FILE\n"
    "                 the CA certificates an mqtts:// broker is checked against\n"
    "                 (default: the system's)\n"
    "  --mqtt-cert FILE, --mqtt-key FILE\n"
    "                 a client certificate and its key, for mqtts://\n"
    "  --mqtt-spool DIR\n"
    "                 the spool (default\n"
    "                 ~/.local/state/tavlo_t_receiver/mqtt/CLIENT_ID)\n"
    "  --mqtt-queue-max N\n"
    "                 at most N messages wait (default 100000); the oldest go\n"
    "                 first, counted and said\n"
    "  --mqtt-drain-timeout S\n"
    "                 at the end, wait up to S seconds for the broker to confirm\n"
    "                 what waits (default 5)\n"
    "  --help         print this text\n"
    "  --version      print the version\n"
    "  --             end of options\n"
    "\n"
    "SIGINT, SIGTERM and SIGHUP stop the receiver cleanly, as do --count and\n"
    "--timeout, within about a second even while its output waits for a\n"
    "reader (the report being written may then be cut). A failed connect or\n"
    "read is said on standard error; a read that found no message is not.\n"
    "\n";
// Then the path of the JSON output's document, and:
constexpr char kExitStatusHelp[] =
    "\n"
    "Exit status:\n"
    "  0  stopped as asked (signal, --count, --timeout, output pipe closed)\n"
    "  1  the client library could not be initialised\n"
    "  2  usage: no device name, an empty one, a bad option, or --view\n"
    "     where it cannot run (no terminal, not built in), or --mqtt without\n"
    "     a usable spool or password file, or not built in\n"
    "  3  --timeout ran out before the --count messages were shown\n"
    "  4  standard output could not be written\n"
    "  5  the --record FILE could not be opened (a pipe that no program reads,\n"
    "     a file that --append finds is no recording) or written\n"
    "  9  MQTT messages were not delivered by the end (they stay in the spool)\n"
    " 10  the MQTT broker refused the connection at start (credentials, client\n"
    "     id, certificate)\n";

// The help text with the path of the JSON output's document where this
// program finds it.
std::string help_text() {
    return std::string(kHelpText) + "The JSON lines are described in\n  " + json_output_document() +
           "\n" + kExitStatusHelp;
}
constexpr double kShortestTimeout = 0.001;
constexpr double kLongestTimeout = 1e7;  // about 115 days

std::vector<std::string> format_names() {
    std::vector<std::string> names;
    for (const OutputFormatRow &row : kOutputFormats) names.emplace_back(row.name);
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

}  // namespace

ParsedCommandLine parse_command_line(int argc, char **argv) {
    ParsedCommandLine result;
    Options &o = result.options;
    bool view = false;
    FilterSettings &filter = o.output.filter;
    std::vector<cli::Option> options = {
        cli::whole("count", o.count, 1, std::numeric_limits<int64_t>::max()),
        cli::decimal("timeout", o.timeout_seconds, kShortestTimeout, kLongestTimeout),
        cli::one_of("format", format_names(), [&o](std::size_t row) { o.output.format = row; }),
        cli::list("kind", [&filter](const std::string &w) { return take_kind(w, filter.kinds); }),
        cli::list("list",
                  [&filter](const std::string &w) { return take_list_id(w, filter.list_ids); }),
        tag_patterns(filter.tag_patterns),
        cli::flag("view", view),
        cli::flag("raw", o.raw),
        cli::flag("stats", o.output.stats),
        cli::text("record", o.record_path),
        cli::flag("append", o.append),
        cli::flag("force", o.force),
    };
    for (cli::Option &option : mqtt::mqtt_options(o.mqtt)) options.push_back(std::move(option));
    const std::string help = help_text();
    const cli::Program program = {kProgramName, help.c_str()};
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
