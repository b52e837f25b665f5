// What the --mqtt options ask for.
#pragma once

#include <cstdint>
#include <string>

#include "broker_address.h"
#include "queue_bound.h"
#include "topic_template.h"

namespace tavlo::mqtt {

struct MqttSettings {
    std::string url;  // --mqtt: "" for no publishing
    BrokerAddress broker;
    std::string topic_text = "tavlo/{device}/{list}/{kind}";
    TopicTemplate topic;
    int qos = 1;
    std::string client_id;  // "" for tavlo_t_receiver-HOST-DEVICE
    std::string user;       // --mqtt-user, else TAVLO_MQTT_USER
    std::string password_file;
    std::string cafile;
    std::string certfile;
    std::string keyfile;
    std::string spool;     // "" for the user's state folder
    QueueBound queue_max;  // as given; the publishing keeps its spool_bound()
    double drain_timeout = 5.0;
};

}  // namespace tavlo::mqtt
