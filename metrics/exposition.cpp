// The run's metrics in the Prometheus text exposition format.
#include "exposition.h"

#include <inttypes.h>

#include <chrono>
#include <cstdio>
#include <unordered_set>
#include <utility>

namespace tavlo::metrics {

namespace {

constexpr double kQuantiles[] = {0.5, 0.95, 0.99};

class Text {
public:
    // The HELP and TYPE lines of a metric family.
    void family(const char *name, const char *type, const char *help) {
        text_ += "# HELP ";
        text_ += name;
        text_ += ' ';
        text_ += help;
        text_ += "\n# TYPE ";
        text_ += name;
        text_ += ' ';
        text_ += type;
        text_ += '\n';
    }
    // One sample: NAME{LABELS} VALUE, the labels as written ("" for none).
    void sample(const char *name, const std::string &labels, int64_t value) {
        char number[32];
        std::snprintf(number, sizeof number, "%" PRId64, value);
        line(name, labels, number);
    }
    void sample(const char *name, const std::string &labels, double value) {
        char number[40];
        std::snprintf(number, sizeof number, "%.15g", value);
        line(name, labels, number);
    }
    std::string take() { return std::move(text_); }

private:
    void line(const char *name, const std::string &labels, const char *number) {
        text_ += name;
        if (!labels.empty()) text_ += "{" + labels + "}";
        text_ += ' ';
        text_ += number;
        text_ += '\n';
    }
    std::string text_;
};

std::string label(const char *name, std::string_view value) {
    return std::string(name) + "=\"" + label_value(value) + "\"";
}

// The counters of the sequence numbers, each by device.
struct SequenceFamily {
    const char *name;
    const char *help;
    int64_t accounting::SequenceCounts::*count;
};
constexpr SequenceFamily kSequenceFamilies[] = {
    {"tavlo_receiver_messages_missing_total", "Sequence numbers jumped over, by device.",
     &accounting::SequenceCounts::missing},
    {"tavlo_receiver_messages_repeated_total",
     "Messages with the number of the message before, by device.",
     &accounting::SequenceCounts::repeated},
    {"tavlo_receiver_messages_out_of_order_total",
     "Messages whose number jumped back without a restart, by device.",
     &accounting::SequenceCounts::out_of_order},
    {"tavlo_receiver_sequence_restarts_total", "Times a device's numbers started again, by device.",
     &accounting::SequenceCounts::restarts},
};

double seconds_of(int64_t milliseconds) {
    return static_cast<double>(milliseconds) / 1000.0;
}

void latency_summary(Text &out, const accounting::LatencyHistogram &h, const std::string &labels) {
    const std::string before = labels.empty() ? "" : labels + ",";
    for (const double q : kQuantiles) {
        char quantile[16];
        std::snprintf(quantile, sizeof quantile, "%g", q);
        out.sample("tavlo_receiver_tag_latency_seconds", before + label("quantile", quantile),
                   seconds_of(h.quantile(q)));
    }
    out.sample("tavlo_receiver_tag_latency_seconds_sum", labels, seconds_of(h.sum()));
    out.sample("tavlo_receiver_tag_latency_seconds_count", labels, h.count());
}

// The families of the publishing to the MQTT broker.
void mqtt_families(Text &out, const accounting::MqttDelivery &mqtt) {
    const struct {
        const char *name;
        const char *type;
        const char *help;
        uint64_t value;
    } families[] = {
        {"tavlo_receiver_mqtt_messages_published_total", "counter",
         "Messages shown and written to the MQTT spool to be published.", mqtt.published},
        {"tavlo_receiver_mqtt_messages_confirmed_total", "counter",
         "MQTT messages the broker confirmed (at QoS 0: sent).", mqtt.confirmed},
        {"tavlo_receiver_mqtt_messages_dropped_total", "counter",
         "MQTT messages dropped: the oldest when the spool was full, and those it could not "
         "hold.",
         mqtt.dropped},
        {"tavlo_receiver_mqtt_messages_queued", "gauge",
         "MQTT messages waiting in the spool for the broker now.", mqtt.queued},
        {"tavlo_receiver_mqtt_messages_undelivered", "gauge",
         "MQTT messages the broker had not confirmed at the end of the run (0 before it).",
         mqtt.undelivered},
        {"tavlo_receiver_mqtt_connected", "gauge",
         "1 while the link to the MQTT broker is up, 0 while it is down.",
         uint64_t{mqtt.connected ? 1U : 0U}},
    };
    for (const auto &family : families) {
        out.family(family.name, family.type, family.help);
        out.sample(family.name, "", static_cast<int64_t>(family.value));
    }
}

// Each expectation once (a text given twice is the same expectation), as
// an enum is in Prometheus: one sample per state, 1 for the state it is in.
void expectation_states(Text &out, const std::vector<ExpectationFigure> &expectations) {
    if (expectations.empty()) return;
    constexpr std::pair<ExpectationState, const char *> kStates[] = {
        {ExpectationState::kPending, "pending"},
        {ExpectationState::kPassed, "passed"},
        {ExpectationState::kFailed, "failed"},
    };
    out.family("tavlo_receiver_expectation_state", "gauge",
               "1 for the state an expectation is in (pending, passed or failed), 0 for the "
               "others; the expectation as given.");
    std::unordered_set<std::string_view> written;
    int64_t failed = 0;
    for (const ExpectationFigure &e : expectations) {
        if (!written.insert(e.expression).second) continue;
        if (e.state == ExpectationState::kFailed) ++failed;
        const std::string expectation = label("expectation", e.expression) + ",";
        for (const auto &[state, name] : kStates) {
            out.sample("tavlo_receiver_expectation_state", expectation + label("state", name),
                       int64_t{e.state == state ? 1 : 0});
        }
    }
    out.family("tavlo_receiver_expectations_failed", "gauge",
               "Expectations that failed so far: the samples above in the state failed.");
    out.sample("tavlo_receiver_expectations_failed", "", failed);
}

}  // namespace

std::string label_value(std::string_view text) {
    std::string value;
    value.reserve(text.size());
    for (const char c : text) {
        if (c == '\\' || c == '"') {
            value += '\\';
            value += c;
        } else if (c == '\n') {
            value += "\\n";
        } else {
            value += c >= 0x20 && c < 0x7f ? c : '?';
        }
    }
    return value;
}

std::string exposition_text(const accounting::RunAccounting &run, const RunFigures &figures) {
    Text out;
    out.family("tavlo_receiver_messages_total", "counter", "Messages read, by kind and device.");
    for (const accounting::DeviceAccount &d : run.devices()) {
        for (std::size_t k = 0; k < accounting::kKindSlots; ++k) {
            out.sample("tavlo_receiver_messages_total",
                       label("kind", figures.kind_names[k]) + "," + label("device", d.name),
                       d.messages[k]);
        }
    }
    out.family("tavlo_receiver_tags_total", "counter", "Tags in the messages read, by device.");
    for (const accounting::DeviceAccount &d : run.devices()) {
        out.sample("tavlo_receiver_tags_total", label("device", d.name), d.tags);
    }
    out.family("tavlo_receiver_output_bytes_total", "counter", "Bytes written to standard output.");
    out.sample("tavlo_receiver_output_bytes_total", "", static_cast<int64_t>(figures.output_bytes));
    out.family("tavlo_receiver_connects_total", "counter",
               "Times the link came up: the first message after a start or a failure.");
    out.sample("tavlo_receiver_connects_total", "", run.connects());
    out.family("tavlo_receiver_connect_failures_total", "counter", "Connects that failed.");
    out.sample("tavlo_receiver_connect_failures_total", "", run.failed_connects());
    out.family("tavlo_receiver_read_failures_total", "counter",
               "Reads that failed, by the client library's code (a read that found no message "
               "is none).");
    for (const auto &[code, count] : run.failed_reads()) {
        out.sample("tavlo_receiver_read_failures_total", label("code", std::to_string(code)),
                   count);
    }
    out.family("tavlo_receiver_link_up", "gauge",
               "1 while the link to the device is up, 0 while it is down.");
    out.sample("tavlo_receiver_link_up", "", int64_t{run.link_up() ? 1 : 0});
    for (const SequenceFamily &family : kSequenceFamilies) {
        out.family(family.name, "counter", family.help);
        for (const accounting::DeviceAccount &d : run.devices()) {
            out.sample(family.name, label("device", d.name), d.sequence.counts().*family.count);
        }
    }
    out.family("tavlo_receiver_stale_tags", "gauge", "Tags without an update for --stale now.");
    out.sample("tavlo_receiver_stale_tags", "", figures.stale_tags);
    out.family("tavlo_receiver_tag_latency_seconds", "summary",
               "Receive time minus the device's timestamp of the tags with one, by list.");
    for (const auto &[list_id, histogram] : run.latency_by_list()) {
        latency_summary(out, histogram, label("list", std::to_string(list_id)));
    }
    out.family("tavlo_receiver_last_message_timestamp_seconds", "gauge",
               "When the last message came, in seconds since 1970 (0: none yet).");
    const auto last =
        std::chrono::duration_cast<std::chrono::milliseconds>(run.last_message().time_since_epoch())
            .count();
    out.sample("tavlo_receiver_last_message_timestamp_seconds", "", seconds_of(last));
    if (figures.mqtt) mqtt_families(out, *figures.mqtt);
    expectation_states(out, figures.expectations);
    return out.take();
}

}  // namespace tavlo::metrics
