// The receiver's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "command_line.h"
#include "message_output.h"
#include "mqtt_settings.h"
#include "run_judgement.h"

namespace tavlo::receiver {

constexpr char kProgramName[] = "tavlo_t_receiver";

struct Options {
    const char *device = nullptr;  // null: print the usage line
    const char *app_id = nullptr;  // null: the default application id
    std::optional<int64_t> count;  // stop after this many messages shown
    std::optional<double> timeout_seconds;
    OutputSettings output;    // format, filters and --stats
    std::string record_path;  // --record: "" for none
    bool append = false;      // --append: add to a recording that exists
    bool force = false;       // --force: replace a recording that exists
    bool raw = false;         // --raw: no escapes in the text report on a terminal
    // --expect, --until, --fail-fast, --junit and --tap.
    expect::JudgementSettings judgement;
    std::string metrics_path;    // --metrics: "" for none
    std::string metrics_listen;  // --metrics-listen [ADDRESS:]PORT: "" for none
    std::string metrics_address;
    int metrics_port = 0;
    mqtt::MqttSettings mqtt;  // --mqtt and its options
};

struct ParsedCommandLine {
    Options options;
    std::optional<cli::Stop> stop;  // --help, --version or a bad option
};

// Options come before the device name; "--" ends them. Words after the
// application id are ignored.
ParsedCommandLine parse_command_line(int argc, char **argv);

}  // namespace tavlo::receiver
