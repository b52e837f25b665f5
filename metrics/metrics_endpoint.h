// The metrics served over HTTP at /metrics, on a thread of their own: a
// scrape gets the text last published and never waits for the reading loop.
#pragma once

#include <memory>
#include <string>

namespace tavlo::metrics {

class Endpoint {
public:
    virtual ~Endpoint() = default;

    // The text the next scrapes get.
    virtual void publish(std::string text) = 0;

    // "ADDRESS:PORT" it listens on ("[ADDRESS]:PORT" for IPv6).
    virtual const std::string &address() const = 0;
};

// Listens on `address` and `port` (0: one the system picks). Returns null
// with the reason in `error` when it cannot.
std::unique_ptr<Endpoint> open_endpoint(const std::string &address, int port, std::string &error);

// Why there is no endpoint in this build ("" when there is one).
std::string endpoint_unavailable();

// Reads [ADDRESS:]PORT (an IPv6 address in brackets); the address is
// 127.0.0.1 unless one is given. Returns "" or the problem.
std::string read_listen_address(const std::string &text, std::string &address, int &port);

}  // namespace tavlo::metrics
