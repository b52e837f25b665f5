// The receiver's --mqtt options.
#include "mqtt_options.h"

#include "mqtt_publishing.h"
#include "option_rows.h"

namespace tavlo::mqtt {

namespace {

constexpr double kLongestDrain = 86400.0;

}  // namespace

std::vector<cli::Option> mqtt_options(MqttSettings &s) {
    return {
        cli::Option{"mqtt", true,
                    [&s](const char *value) {
                        s.url = value;
                        return read_broker_url(s.url, s.broker);
                    }}
            .help("URL",
                  "also publish every message shown to the MQTT broker at mqtt://HOST[:PORT] or "
                  "mqtts://HOST[:PORT] (TLS): its JSON object, as --format json writes it, one "
                  "MQTT message each; messages wait in a spool on disk until the broker confirms "
                  "them, through outages and restarts of the receiver"),
        cli::Option{"mqtt-topic", true,
                    [&s](const char *value) {
                        s.topic_text = value;
                        return s.topic.read(s.topic_text);
                    }}
            .help("T",
                  "the topic from {device}, {unit}, {list}, {kind} and {client} (default "
                  "tavlo/{device}/{list}/{kind}); in a field, / + # and bytes outside printable "
                  "ASCII become _"),
        cli::whole("mqtt-qos", s.qos, 0, 2)
            .help("N", "the quality of service: 0, 1 (the default) or 2")
            .offers({"0", "1", "2"}),
        cli::text("mqtt-client-id", s.client_id)
            .help("ID",
                  "default tavlo_t_receiver-HOST-DEVICE; the broker keeps its session across "
                  "reconnects"),
        cli::text("mqtt-user", s.user).help("NAME", "the user name (else $TAVLO_MQTT_USER)"),
        cli::text("mqtt-password-file", s.password_file)
            .help("FILE", "the password: the file's first line (else $TAVLO_MQTT_PASSWORD)")
            .files(),
        cli::text("mqtt-cafile", s.cafile)
            .help("FILE",
                  "the CA certificates an mqtts:// broker is checked against (default: the "
                  "system's)")
            .files(),
        cli::text("mqtt-cert", s.certfile)
            .help("FILE", "a client certificate, for mqtts://, with --mqtt-key")
            .files(),
        cli::text("mqtt-key", s.keyfile).help("FILE", "the client certificate's key").files(),
        cli::text("mqtt-spool", s.spool)
            .help("DIR", "the spool (default ~/.local/state/tavlo_t_receiver/mqtt/CLIENT_ID)")
            .files(),
        cli::Option{"mqtt-queue-max", true,
                    [&s](const char *value) { return read_queue_bound(value, s.queue_max); }}
            .help("N|SIZE",
                  "at most N messages wait (default 100000), or at most SIZE of them (512KiB, "
                  "64MiB, 2GiB), or both (the option twice); past a bound the oldest go first, "
                  "counted and said"),
        cli::decimal("mqtt-drain-timeout", s.drain_timeout, 0.0, kLongestDrain)
            .help("S",
                  "at the end, wait up to S seconds for the broker to confirm what waits (default "
                  "5)"),
    };
}

std::pair<std::string, std::string> mqtt_settings_problem(MqttSettings &s) {
    const MqttSettings defaults;
    if (s.url.empty()) {
        const std::pair<const char *, bool> given[] = {
            {"--mqtt-topic", s.topic_text != defaults.topic_text},
            {"--mqtt-qos", s.qos != defaults.qos},
            {"--mqtt-client-id", !s.client_id.empty()},
            {"--mqtt-user", !s.user.empty()},
            {"--mqtt-password-file", !s.password_file.empty()},
            {"--mqtt-cafile", !s.cafile.empty()},
            {"--mqtt-cert", !s.certfile.empty()},
            {"--mqtt-key", !s.keyfile.empty()},
            {"--mqtt-spool", !s.spool.empty()},
            {"--mqtt-queue-max", s.queue_max.messages != 0 || s.queue_max.bytes != 0},
            {"--mqtt-drain-timeout", s.drain_timeout != defaults.drain_timeout},
        };
        for (const auto &[name, set] : given) {
            if (set) return {name, "needs --mqtt URL"};
        }
        return {};
    }
    if (const std::string problem = mqtt_unavailable(); !problem.empty()) {
        return {"--mqtt", problem};
    }
    if (!s.broker.tls && (!s.cafile.empty() || !s.certfile.empty() || !s.keyfile.empty())) {
        return {"--mqtt-cafile", "needs an mqtts:// broker"};
    }
    if (s.certfile.empty() != s.keyfile.empty()) {
        return {s.certfile.empty() ? "--mqtt-key" : "--mqtt-cert",
                "needs --mqtt-cert and --mqtt-key together"};
    }
    if (s.topic_text == defaults.topic_text) s.topic.read(s.topic_text);
    return {};
}

}  // namespace tavlo::mqtt
