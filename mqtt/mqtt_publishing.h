// Publishing every message shown to an MQTT broker (--mqtt): its JSON
// object, as --format json writes it, on the topic of its template, through
// the spool.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "message_output.h"
#include "mqtt_delivery.h"
#include "mqtt_settings.h"

namespace tavlo::mqtt {

class MqttPublishing : public receiver::ShownMessageSink {
public:
    // Waits for the broker's confirmations up to --mqtt-drain-timeout and
    // says how many messages are left in the spool; true when none is.
    virtual bool finish() = 0;

    // The counts of the publishing now, which the metrics and the verdict
    // show.
    virtual accounting::MqttDelivery delivery() const = 0;

    // The publishing's lines of the --stats summary, from its counts.
    virtual void write_summary(std::FILE *stream) const = 0;
};

enum class StartProblem {
    kNone,
    kSetUp,    // the spool or a credential file cannot be used; said
    kRefused,  // the broker refused the connection; said
};

// Opens the spool and starts connecting to the broker for the receiver of
// `device`. Null, with the problem said on standard error, when it cannot.
std::unique_ptr<MqttPublishing> start_publishing(MqttSettings settings, const char *device,
                                                 StartProblem &problem);

// Why --mqtt cannot work in this build, "" when it can.
std::string mqtt_unavailable();

}  // namespace tavlo::mqtt
