// The device names the stand-in client library accepts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavlo::standin {

// "sim", "sim:N" or "sim:N:T": the in-process simulated device, N
// milliseconds between messages (default 1000), its plant clock starting at
// T seconds since 1970 (default: the time of the connect).
struct SimDeviceName {
    int32_t interval_ms = 1000;
    std::optional<int64_t> start_seconds;
};

std::optional<SimDeviceName> parse_sim_device_name(std::string_view name);

// "host:port" or "[IPv6 address]:port": a device reached over TCP. The host
// may not hold a colon unless it is in brackets; the port is 1 to 65535.
struct TcpDeviceName {
    std::string host;
    std::string port;
};

std::optional<TcpDeviceName> parse_tcp_device_name(std::string_view name);

}  // namespace tavlo::standin
