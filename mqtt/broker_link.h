// The connection to the MQTT broker, in a thread of its own: it connects
// (again and again while the broker cannot be reached), hands the spool's
// messages to the broker in order, and frees each one the broker confirms.
// The reading loop only appends to the spool, and never waits for the
// broker.
#pragma once

#include <memory>
#include <string>

#include "mqtt_settings.h"
#include "spool.h"

namespace tavlo::mqtt {

// How the first attempt to connect ended.
enum class FirstConnect {
    kConnected,
    kUnreachable,  // no answer (yet): the messages wait in the spool
    kRefused,      // credentials, client id or certificate refused
};

class BrokerLink {
public:
    // `password` is "" for none. Starts connecting at once.
    BrokerLink(const MqttSettings &settings, std::string password, Spool &spool);
    ~BrokerLink();
    BrokerLink(const BrokerLink &) = delete;
    BrokerLink &operator=(const BrokerLink &) = delete;

    // Waits at most `seconds` for the first attempt to end; `reason` says
    // why a connection was refused.
    FirstConnect first_connect(double seconds, std::string &reason);

    // Waits until the spool is empty or `seconds` passed, then stops the
    // thread. Returns whether the spool is empty.
    bool drain(double seconds);

    // Whether the broker accepted the connection and it was not lost since.
    bool connected() const;

    // The thread's state, which the client library's callbacks reach.
    struct State;

private:
    std::unique_ptr<State> state_;
};

}  // namespace tavlo::mqtt
