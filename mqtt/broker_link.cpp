// The connection to the MQTT broker through libmosquitto, in a thread of
// its own. On a lost connection the client is made anew and every message
// the broker did not confirm is sent again from the spool: at QoS 1 and 2 a
// subscriber may then get a message twice, never lose one.
#include "broker_link.h"

#include <mosquitto.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace tavlo::mqtt {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kKeepAliveSeconds = 30;
// Messages handed to the client and not yet confirmed, at most. At QoS 2
// no more than a broker takes in flight from one client (mosquitto: 20 by
// default): MQTT 3.1.1 has no word for "too many", and mosquitto then
// acknowledges a message it drops.
constexpr std::size_t kWindow = 100;
constexpr std::size_t kQos2Window = 20;
// The wait in the client's loop for the broker's answers.
constexpr int kLoopWaitMs = 10;
constexpr auto kFirstRetry = std::chrono::milliseconds(100);
constexpr auto kLongestRetry = std::chrono::seconds(2);
constexpr auto kConnackWait = std::chrono::seconds(10);
constexpr auto kPositionEvery = std::chrono::milliseconds(200);

std::once_flag library_started;

}  // namespace

struct BrokerLink::State {
    const MqttSettings &settings;
    const std::string password;
    Spool &spool;
    std::string where;  // HOST:PORT, for the lines on standard error

    std::mutex mutex;
    std::condition_variable changed;
    bool stopping = false;
    bool first_ended = false;
    FirstConnect first = FirstConnect::kUnreachable;
    std::string refusal;
    std::atomic<bool> connected{false};

    // Of the thread alone.
    mosquitto *client = nullptr;
    int connack = -1;                   // -1 until the broker answered the connect
    std::map<int, uint64_t> in_flight;  // message id -> spool index
    std::set<int> written_early;        // QoS 0 ids written before their id was known
    std::string last_error;             // the library's last error line
    bool outage_said = false;
    std::thread thread;

    State(const MqttSettings &s, std::string p, Spool &q)
        : settings(s), password(std::move(p)), spool(q) {
        where = (s.broker.host.find(':') != std::string::npos ? "[" + s.broker.host + "]"
                                                              : s.broker.host) +
                ":" + std::to_string(s.broker.port);
    }

    void run();
    bool make_client();
    void drop_client();
    bool connect_once();
    bool send_until_lost();
    bool end_first(FirstConnect outcome, const std::string &reason);
    bool wait_unless_stopped(Clock::duration time);
    bool stop_asked() {
        const std::lock_guard<std::mutex> lock(mutex);
        return stopping;
    }
    void say_outage(const std::string &why);
};

namespace {

BrokerLink::State &state_of(void *user) {
    return *static_cast<BrokerLink::State *>(user);
}

}  // namespace

bool BrokerLink::State::make_client() {
    client = mosquitto_new(settings.client_id.c_str(), false, this);
    if (client == nullptr) return false;
    mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_max_inflight_messages_set(client, 0);  // the window here bounds them
    mosquitto_connect_callback_set(
        client, [](mosquitto *, void *user, int code) { state_of(user).connack = code; });
    mosquitto_publish_callback_set(client, [](mosquitto *, void *user, int id) {
        State &state = state_of(user);
        const auto found = state.in_flight.find(id);
        if (found == state.in_flight.end()) {
            state.written_early.insert(id);
            return;
        }
        state.spool.confirmed(found->second);
        state.in_flight.erase(found);
    });
    mosquitto_log_callback_set(client, [](mosquitto *, void *user, int level, const char *text) {
        if (level == MOSQ_LOG_ERR) state_of(user).last_error = text;
    });
    if (!settings.user.empty() || !password.empty()) {
        mosquitto_username_pw_set(client, settings.user.empty() ? nullptr : settings.user.c_str(),
                                  password.empty() ? nullptr : password.c_str());
    }
    if (settings.broker.tls) {
        const auto or_null = [](const std::string &text) {
            return text.empty() ? nullptr : text.c_str();
        };
        if (settings.cafile.empty()) mosquitto_int_option(client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        const int code =
            mosquitto_tls_set(client, or_null(settings.cafile), nullptr, or_null(settings.certfile),
                              or_null(settings.keyfile), nullptr);
        if (code != MOSQ_ERR_SUCCESS) {
            end_first(FirstConnect::kRefused,
                      std::string("its TLS files cannot be used: ") + mosquitto_strerror(code));
            return false;
        }
    }
    return true;
}

void BrokerLink::State::drop_client() {
    if (client != nullptr) mosquitto_destroy(client);
    client = nullptr;
    connected = false;
    in_flight.clear();
    written_early.clear();
    spool.rewind();
}

// Returns whether this was the first attempt's end.
bool BrokerLink::State::end_first(FirstConnect outcome, const std::string &reason) {
    const std::lock_guard<std::mutex> lock(mutex);
    if (first_ended) return false;
    first_ended = true;
    first = outcome;
    refusal = reason;
    changed.notify_all();
    return true;
}

bool BrokerLink::State::wait_unless_stopped(Clock::duration time) {
    std::unique_lock<std::mutex> lock(mutex);
    return !changed.wait_for(lock, time, [this] { return stopping; });
}

void BrokerLink::State::say_outage(const std::string &why) {
    if (outage_said) return;
    outage_said = true;
    std::fprintf(stderr,
                 "tavlo_t_receiver: the MQTT broker %s cannot be reached (%s); messages wait in "
                 "the spool %s\n",
                 where.c_str(), why.c_str(), spool.folder().c_str());
}

// One attempt: true once the broker accepted the connection.
bool BrokerLink::State::connect_once() {
    if (client == nullptr && !make_client()) return false;
    last_error.clear();
    connack = -1;
    int code = mosquitto_connect_async(client, settings.broker.host.c_str(), settings.broker.port,
                                       kKeepAliveSeconds);
    const auto deadline = Clock::now() + kConnackWait;
    while (code == MOSQ_ERR_SUCCESS && connack < 0 && Clock::now() < deadline && !stop_asked()) {
        code = mosquitto_loop(client, kLoopWaitMs, 1);
    }
    if (code == MOSQ_ERR_TLS) {
        const std::string reason =
            "the TLS handshake failed" + (last_error.empty() ? std::string() : ": " + last_error);
        // At the start the receiver says the refusal, and ends.
        if (!end_first(FirstConnect::kRefused, reason)) say_outage(reason);
        drop_client();
        return false;
    }
    if (connack > 0) {
        const std::string reason = mosquitto_connack_string(connack);
        if (!end_first(FirstConnect::kRefused, reason)) {
            say_outage("it refused the connection: " + reason);
        }
        drop_client();
        return false;
    }
    if (connack < 0) {
        const std::string reason = code == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno))
                                   : code == MOSQ_ERR_SUCCESS
                                       ? std::string("no answer to the connect")
                                       : std::string(mosquitto_strerror(code));
        end_first(FirstConnect::kUnreachable, reason);
        if (!stop_asked()) say_outage(reason);
        drop_client();
        return false;
    }
    connected = true;
    end_first(FirstConnect::kConnected, {});
    if (outage_said) {
        std::fprintf(stderr, "tavlo_t_receiver: the MQTT broker %s is reached again\n",
                     where.c_str());
        outage_said = false;
    }
    return true;
}

// Hands the spool's messages to the broker until the connection is lost
// or a stop is asked for; true for the stop.
bool BrokerLink::State::send_until_lost() {
    auto position_due = Clock::now() + kPositionEvery;
    SpooledMessage message;
    while (!stop_asked()) {
        const std::size_t window = settings.qos == 2 ? kQos2Window : kWindow;
        while (in_flight.size() < window && spool.next_to_send(message)) {
            int id = 0;
            const int code = mosquitto_publish(client, &id, message.topic.c_str(),
                                               static_cast<int>(message.payload.size()),
                                               message.payload.data(), settings.qos, false);
            if (code != MOSQ_ERR_SUCCESS) {
                say_outage(mosquitto_strerror(code));
                return false;
            }
            if (written_early.erase(id) != 0) {
                spool.confirmed(message.index);
            } else {
                in_flight[id] = message.index;
            }
        }
        const int code = mosquitto_loop(client, kLoopWaitMs, 1);
        if (code != MOSQ_ERR_SUCCESS) {
            say_outage(code == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(code));
            return false;
        }
        if (Clock::now() >= position_due) {
            spool.save_position();
            position_due = Clock::now() + kPositionEvery;
        }
    }
    return true;
}

void BrokerLink::State::run() {
    auto retry = Clock::duration(kFirstRetry);
    while (!stop_asked()) {
        if (connect_once()) {
            retry = kFirstRetry;
            if (send_until_lost()) break;
            drop_client();
            continue;
        }
        spool.save_position();
        if (!wait_unless_stopped(retry)) break;
        retry = std::min<Clock::duration>(retry * 2, kLongestRetry);
    }
    if (client != nullptr) {
        mosquitto_disconnect(client);
        mosquitto_loop(client, kLoopWaitMs, 1);
        drop_client();
    }
    end_first(FirstConnect::kUnreachable, "stopped");
    spool.save_position();
}

BrokerLink::BrokerLink(const MqttSettings &settings, std::string password, Spool &spool)
    : state_(std::make_unique<State>(settings, std::move(password), spool)) {
    std::call_once(library_started, [] { mosquitto_lib_init(); });
    state_->thread = std::thread([state = state_.get()] { state->run(); });
}

BrokerLink::~BrokerLink() {
    {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
        state_->changed.notify_all();
    }
    if (state_->thread.joinable()) state_->thread.join();
}

FirstConnect BrokerLink::first_connect(double seconds, std::string &reason) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    state_->changed.wait_for(lock, std::chrono::duration<double>(seconds),
                             [this] { return state_->first_ended; });
    reason = state_->refusal;
    return state_->first_ended ? state_->first : FirstConnect::kUnreachable;
}

bool BrokerLink::connected() const {
    return state_->connected;
}

bool BrokerLink::drain(double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(seconds));
    while (state_->spool.waiting() > 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kLoopWaitMs));
    }
    {
        const std::lock_guard<std::mutex> lock(state_->mutex);
        state_->stopping = true;
        state_->changed.notify_all();
    }
    if (state_->thread.joinable()) state_->thread.join();
    return state_->spool.waiting() == 0;
}

}  // namespace tavlo::mqtt
