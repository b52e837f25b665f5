// The ways of reaching a device, one row each: a new transport is one file
// and one row; and the device names the rows accept.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "transport.h"

namespace tavlo::standin {

struct TransportRow {
    // Whether `device` is a name of this transport.
    bool (*recognises)(std::string_view device);
    // Opens the transport to `device`, a name it recognises, for the
    // application `app_id`. Returns 0 and the transport, or an error code.
    int32_t (*open)(std::string_view device, const std::string &app_id,
                    std::unique_ptr<Transport> &transport);
};

// The first row that recognises `device`, or nullptr.
const TransportRow *transport_for(std::string_view device);

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
