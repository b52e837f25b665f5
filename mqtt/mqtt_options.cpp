// The receiver's --mqtt options.
#include "mqtt_options.h"

#include <limits>

#include "mqtt_publishing.h"
#include "option_rows.h"

namespace tavlo::mqtt {

namespace {

constexpr double kLongestDrain = 86400.0;

}  // namespace

std::vector<cli::Option> mqtt_options(MqttSettings &s) {
    return {
        {"mqtt", true,
         [&s](const char *value) {
             s.url = value;
             return read_broker_url(s.url, s.broker);
         }},
        {"mqtt-topic", true,
         [&s](const char *value) {
             s.topic_text = value;
             return s.topic.read(s.topic_text);
         }},
        cli::whole("mqtt-qos", s.qos, 0, 2),
        cli::text("mqtt-client-id", s.client_id),
        cli::text("mqtt-user", s.user),
        cli::text("mqtt-password-file", s.password_file),
        cli::text("mqtt-cafile", s.cafile),
        cli::text("mqtt-cert", s.certfile),
        cli::text("mqtt-key", s.keyfile),
        cli::text("mqtt-spool", s.spool),
        cli::whole("mqtt-queue-max", s.queue_max, 1, std::numeric_limits<int32_t>::max()),
        cli::decimal("mqtt-drain-timeout", s.drain_timeout, 0.0, kLongestDrain),
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
            {"--mqtt-queue-max", s.queue_max != defaults.queue_max},
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
