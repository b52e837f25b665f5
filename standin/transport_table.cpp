// The ways of reaching a device, one row each: a new transport is one file
// and one row.
#include "transport_table.h"

#include "sim_transport.h"
#include "tcp_transport.h"

namespace tavlo::standin {

namespace {

// Tried in order; a name no row recognises is an unknown device.
const TransportRow kTransports[] = {
    {SimTransport::recognises, SimTransport::open},  // sim, sim:N, sim:N:T
    {TcpTransport::recognises, TcpTransport::open},  // host:port, [IPv6 address]:port
};

}  // namespace

const TransportRow *transport_for(std::string_view device) {
    for (const TransportRow &row : kTransports) {
        if (row.recognises(device)) return &row;
    }
    return nullptr;
}

// The device names the stand-in client library accepts.
namespace {

// A decimal number of 1 to 10 digits, at most `limit`.
std::optional<int64_t> parse_number(std::string_view text, int64_t limit) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > limit) return std::nullopt;
    return value;
}

constexpr int64_t kLongestInterval = 3600000;  // one message an hour
constexpr int64_t kLatestStart = 2147483647;   // what a TimeRecord holds

}  // namespace

std::optional<SimDeviceName> parse_sim_device_name(std::string_view name) {
    constexpr std::string_view kPrefix = "sim";
    if (name.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    name.remove_prefix(kPrefix.size());
    SimDeviceName result;
    if (name.empty()) return result;
    if (name.front() != ':') return std::nullopt;
    name.remove_prefix(1);
    const auto colon = name.find(':');
    const auto interval = parse_number(name.substr(0, colon), kLongestInterval);
    if (!interval) return std::nullopt;
    result.interval_ms = static_cast<int32_t>(*interval);
    if (colon == std::string_view::npos) return result;
    const auto start = parse_number(name.substr(colon + 1), kLatestStart);
    if (!start) return std::nullopt;
    result.start_seconds = *start;
    return result;
}

std::optional<TcpDeviceName> parse_tcp_device_name(std::string_view name) {
    std::string_view host;
    std::string_view rest;
    if (!name.empty() && name.front() == '[') {
        const auto close = name.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = name.substr(1, close - 1);
        rest = name.substr(close + 1);
    } else {
        const auto colon = name.find(':');
        if (colon == std::string_view::npos) return std::nullopt;
        host = name.substr(0, colon);
        rest = name.substr(colon);
    }
    if (host.empty() || rest.size() < 2 || rest.front() != ':') return std::nullopt;
    const auto port = parse_number(rest.substr(1), 65535);
    if (!port || *port == 0) return std::nullopt;
    return TcpDeviceName{std::string(host), std::to_string(*port)};
}

}  // namespace tavlo::standin
