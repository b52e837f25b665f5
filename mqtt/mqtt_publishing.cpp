// Publishing every message shown to an MQTT broker (--mqtt).
#include "mqtt_publishing.h"

#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "broker_link.h"
#include "json_message.h"

namespace tavlo::mqtt {

namespace {

using Clock = std::chrono::steady_clock;

// How long the start waits for the broker's first answer before the
// reading begins (the messages then wait in the spool).
constexpr double kFirstConnectSeconds = 5.0;
constexpr auto kDropLineEvery = std::chrono::seconds(1);
constexpr std::size_t kLongestClientId = 128;

void say(const std::string &line) {
    std::fprintf(stderr, "tavlo_t_receiver: %s\n", line.c_str());
}

// The characters of a client id and a folder name, others as '_'.
std::string plain_name(std::string_view text) {
    std::string name;
    for (const char c : text.substr(0, kLongestClientId)) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        name += plain ? c : '_';
    }
    return name;
}

std::string default_client_id(const char *device) {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) std::strcpy(host, "localhost");
    return plain_name(std::string("tavlo_t_receiver-") + host + "-" + device);
}

// $XDG_STATE_HOME/tavlo_t_receiver/mqtt/CLIENT_ID, or the same under
// ~/.local/state; "" without a home.
std::string default_spool(const std::string &client_id) {
    const char *state = std::getenv("XDG_STATE_HOME");
    const char *home = std::getenv("HOME");
    std::string base;
    if (state != nullptr && *state == '/') {
        base = state;
    } else if (home != nullptr && *home != '\0') {
        base = std::string(home) + "/.local/state";
    } else {
        return {};
    }
    return base + "/tavlo_t_receiver/mqtt/" + plain_name(client_id);
}

// The password: the first line of --mqtt-password-file, else
// $TAVLO_MQTT_PASSWORD, else none. False when the file cannot be read.
bool read_password(const MqttSettings &settings, std::string &password) {
    if (settings.password_file.empty()) {
        const char *from_environment = std::getenv("TAVLO_MQTT_PASSWORD");
        password = from_environment != nullptr ? from_environment : "";
        return true;
    }
    std::ifstream file(settings.password_file, std::ios::binary);
    if (!file) return false;
    std::getline(file, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return !file.bad();
}

class Publishing final : public MqttPublishing {
public:
    Publishing(MqttSettings settings, std::unique_ptr<Spool> spool)
        : settings_(std::move(settings)), spool_(std::move(spool)) {}

    FirstConnect connect(std::string password, std::string &reason) {
        link_ = std::make_unique<BrokerLink>(settings_, std::move(password), *spool_);
        return link_->first_connect(kFirstConnectSeconds, reason);
    }

    void take(const receiver::ReceivedMessage &message,
              const receiver::TagSelection &selection) override {
        payload_.clear();
        {
            ts::ReportWriter out(payload_);
            json_.write(out, message, selection, missing_before_);
            missing_before_ = 0;
        }
        const char *device = message.view.device;
        TopicFields fields;
        fields.device = device != nullptr ? receiver::unpadded(device) : std::string_view();
        fields.unit = message.view.unit;
        fields.list_id = message.view.list_id;
        kind_number_ = std::to_string(message.view.kind);
        fields.kind =
            message.kind.name.empty() ? std::string_view(kind_number_) : message.kind.name;
        fields.client = settings_.client_id;
        settings_.topic.expand(fields, topic_);
        std::string problem;
        if (spool_->append(topic_, payload_, problem)) {
            ++published_;
        } else {
            ++not_spooled_;
            if (Clock::now() >= next_spool_line_) {
                say(problem + "; " + std::to_string(not_spooled_) + " messages not published");
                next_spool_line_ = Clock::now() + kDropLineEvery;
            }
        }
        say_drops(false);
    }

    void gap_before(int64_t missing) override { missing_before_ += missing; }

    bool finish() override {
        const bool delivered = link_->drain(settings_.drain_timeout);
        say_drops(true);
        undelivered_ = spool_->waiting();
        if (!delivered) {
            say(std::to_string(undelivered_) +
                " MQTT messages were not delivered; they stay in the spool " + spool_->folder() +
                " for the next run");
        }
        return delivered && not_spooled_ == 0;
    }

    accounting::MqttDelivery delivery() const override {
        accounting::MqttDelivery counts;
        counts.published = published_;
        counts.confirmed = spool_->confirmations();
        counts.dropped = spool_->dropped() + not_spooled_;
        counts.undelivered = undelivered_;
        counts.queued = spool_->waiting();
        counts.connected = link_->connected();
        return counts;
    }

    void write_summary(std::FILE *stream) const override {
        const accounting::MqttDelivery counts = delivery();
        std::fprintf(stream,
                     "MQTT messages queued: %" PRIu64 "\nMQTT messages confirmed: %" PRIu64
                     "\nMQTT messages dropped: %" PRIu64
                     "\nMQTT messages left in the spool: %" PRIu64 "\n",
                     counts.published, counts.confirmed, counts.dropped, counts.queued);
    }

private:
    // At most one line a second, and the last count at the end.
    void say_drops(bool at_end) {
        const uint64_t dropped = spool_->dropped();
        if (dropped == dropped_said_ || (!at_end && Clock::now() < next_drop_line_)) return;
        say("the MQTT spool is full (" + queue_bound_text(settings_.queue_max) + "): dropped " +
            std::to_string(dropped - dropped_said_) + " of the oldest, " + std::to_string(dropped) +
            " in all");
        dropped_said_ = dropped;
        next_drop_line_ = Clock::now() + kDropLineEvery;
    }

    MqttSettings settings_;
    std::unique_ptr<Spool> spool_;
    std::unique_ptr<BrokerLink> link_;
    receiver::JsonMessage json_;
    std::string payload_;
    std::string topic_;
    std::string kind_number_;
    int64_t missing_before_ = 0;  // numbers missing before the next message shown
    uint64_t published_ = 0;
    uint64_t not_spooled_ = 0;
    uint64_t undelivered_ = 0;
    uint64_t dropped_said_ = 0;
    Clock::time_point next_drop_line_{};
    Clock::time_point next_spool_line_{};
};

}  // namespace

std::string mqtt_unavailable() {
    return {};
}

std::unique_ptr<MqttPublishing> start_publishing(MqttSettings settings, const char *device,
                                                 StartProblem &problem) {
    problem = StartProblem::kSetUp;
    if (settings.client_id.empty()) settings.client_id = default_client_id(device);
    if (settings.user.empty()) {
        const char *user = std::getenv("TAVLO_MQTT_USER");
        if (user != nullptr) settings.user = user;
    }
    std::string password;
    if (!read_password(settings, password)) {
        say("cannot read the MQTT password file " + settings.password_file + ": " +
            std::strerror(errno));
        return nullptr;
    }
    if (settings.spool.empty()) settings.spool = default_spool(settings.client_id);
    if (settings.spool.empty()) {
        say("--mqtt needs --mqtt-spool DIR where neither HOME nor XDG_STATE_HOME is set");
        return nullptr;
    }
    std::string reason;
    settings.queue_max = spool_bound(settings.queue_max);
    std::unique_ptr<Spool> spool = Spool::open(settings.spool, settings.queue_max, reason);
    if (!spool) {
        say(reason);
        return nullptr;
    }
    if (const uint64_t left = spool->left_by_earlier(); left > 0) {
        say(std::to_string(left) + " MQTT messages of an earlier run wait in the spool " +
            spool->folder() + "; they go first");
    }
    const std::string broker = settings.url;
    auto publishing = std::make_unique<Publishing>(std::move(settings), std::move(spool));
    if (publishing->connect(std::move(password), reason) == FirstConnect::kRefused) {
        say("the MQTT broker " + broker + " refused the connection: " + reason);
        problem = StartProblem::kRefused;
        return nullptr;
    }
    problem = StartProblem::kNone;
    return publishing;
}

}  // namespace tavlo::mqtt
