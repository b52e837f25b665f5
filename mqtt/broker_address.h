// Where the MQTT broker is: mqtt://HOST[:PORT] or mqtts://HOST[:PORT].
#pragma once

#include <string>

namespace tavlo::mqtt {

struct BrokerAddress {
    std::string host;  // a name, an IPv4 address or an IPv6 address without brackets
    int port = 0;      // 1883 for mqtt://, 8883 for mqtts:// unless given
    bool tls = false;  // mqtts://
};

// Reads the URL into `address`; returns why it is no broker URL, or "".
// An IPv6 address is in brackets (mqtt://[::1]:1883); no path, user or query.
std::string read_broker_url(const std::string &url, BrokerAddress &address);

}  // namespace tavlo::mqtt
