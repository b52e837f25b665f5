// Where the MQTT broker is: mqtt://HOST[:PORT] or mqtts://HOST[:PORT].
#include "broker_address.h"

#include <string_view>

namespace tavlo::mqtt {

namespace {

constexpr int kPlainPort = 1883;
constexpr int kTlsPort = 8883;
constexpr int kHighestPort = 65535;

bool read_port(std::string_view digits, int &port) {
    if (digits.empty() || digits.size() > 5) return false;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > kHighestPort) return false;
    port = value;
    return true;
}

}  // namespace

std::string read_broker_url(const std::string &url, BrokerAddress &address) {
    std::string_view rest = url;
    BrokerAddress read;
    if (rest.substr(0, 7) == "mqtt://") {
        rest.remove_prefix(7);
        read.port = kPlainPort;
    } else if (rest.substr(0, 8) == "mqtts://") {
        rest.remove_prefix(8);
        read.port = kTlsPort;
        read.tls = true;
    } else {
        return "expects mqtt://HOST[:PORT] or mqtts://HOST[:PORT], not '" + url + "'";
    }
    if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
    std::string_view host = rest;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos) return "has a '[' without its ']': '" + url + "'";
        host = rest.substr(1, close - 1);
        std::string_view after = rest.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return "has no port after its ']': '" + url + "'";
            port = after.substr(1);
            if (port.empty()) return "has an empty port: '" + url + "'";
        }
    } else if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
        if (port.empty()) return "has an empty port: '" + url + "'";
    }
    if (host.empty()) return "has no host: '" + url + "'";
    if (host.find_first_of("/@?#[] ") != std::string_view::npos) {
        return "holds no more than a host and a port: '" + url + "'";
    }
    if (!port.empty() && !read_port(port, read.port)) {
        return "has a port that is not 1 to 65535: '" + url + "'";
    }
    read.host = std::string(host);
    address = read;
    return {};
}

}  // namespace tavlo::mqtt
