// The address --metrics-listen gives: [ADDRESS:]PORT.
#include <cstdlib>

#include "metrics_endpoint.h"

namespace tavlo::metrics {

std::string read_listen_address(const std::string &text, std::string &address, int &port) {
    const std::size_t colon = text.rfind(':');
    std::string host = colon == std::string::npos ? "127.0.0.1" : text.substr(0, colon);
    const std::string digits = colon == std::string::npos ? text : text.substr(colon + 1);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    if (host.empty()) return "needs an address before the ':'";
    if (digits.empty() || digits.size() > 5 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return "expects [ADDRESS:]PORT with a port from 0 to 65535, not '" + text + "'";
    }
    const long number = std::strtol(digits.c_str(), nullptr, 10);
    if (number > 65535) {
        return "expects [ADDRESS:]PORT with a port from 0 to 65535, not '" + text + "'";
    }
    address = host;
    port = static_cast<int>(number);
    return {};
}

}  // namespace tavlo::metrics
