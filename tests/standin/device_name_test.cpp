// The device names the stand-in client library accepts.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "transport_table.h"

namespace {

using tavlo::standin::parse_sim_device_name;
using tavlo::standin::parse_tcp_device_name;

struct SimCase {
    const char *name;
    bool accepted;
    int32_t interval_ms;
    std::optional<int64_t> start;
};

TEST(DeviceName, SimulatedDevice) {
    const SimCase cases[] = {
        {"sim", true, 1000, std::nullopt},
        {"sim:0", true, 0, std::nullopt},
        {"sim:250", true, 250, std::nullopt},
        {"sim:3600000", true, 3600000, std::nullopt},
        {"sim:0:1700000000", true, 0, 1700000000},
        {"sim:10:0", true, 10, 0},
        {"sim:3600001", false, 0, std::nullopt},
        {"sim:", false, 0, std::nullopt},
        {"sim:-1", false, 0, std::nullopt},
        {"sim:1:", false, 0, std::nullopt},
        {"sim:1:2147483648", false, 0, std::nullopt},
        {"sim:1:2:3", false, 0, std::nullopt},
        {"simx", false, 0, std::nullopt},
        {"SIM", false, 0, std::nullopt},
        {"sim 1", false, 0, std::nullopt},
    };
    for (const SimCase &c : cases) {
        const auto parsed = parse_sim_device_name(c.name);
        EXPECT_EQ(parsed.has_value(), c.accepted) << c.name;
        if (!parsed || !c.accepted) continue;
        EXPECT_EQ(parsed->interval_ms, c.interval_ms) << c.name;
        EXPECT_EQ(parsed->start_seconds, c.start) << c.name;
    }
}

struct TcpCase {
    const char *name;
    const char *host;  // null: refused
    const char *port;
};

TEST(DeviceName, TcpDevice) {
    const TcpCase cases[] = {
        {"127.0.0.1:7301", "127.0.0.1", "7301"},
        {"localhost:7301", "localhost", "7301"},
        {"[::1]:7301", "::1", "7301"},
        {"plant-7.example:1", "plant-7.example", "1"},
        {"host:65535", "host", "65535"},
        {"host:007", "host", "7"},
        {"host:0", nullptr, nullptr},
        {"host:65536", nullptr, nullptr},
        {"host:", nullptr, nullptr},
        {":7301", nullptr, nullptr},
        {"host", nullptr, nullptr},
        {"::1:7301", nullptr, nullptr},
        {"[::1]7301", nullptr, nullptr},
        {"[::1:7301", nullptr, nullptr},
        {"[]:7301", nullptr, nullptr},
        {"host:73x1", nullptr, nullptr},
        {"a:b:80", nullptr, nullptr},
    };
    for (const TcpCase &c : cases) {
        const auto parsed = parse_tcp_device_name(c.name);
        ASSERT_EQ(parsed.has_value(), c.host != nullptr) << c.name;
        if (!parsed) continue;
        EXPECT_EQ(parsed->host, c.host) << c.name;
        EXPECT_EQ(parsed->port, c.port) << c.name;
    }
}

}  // namespace
