// The metrics over HTTP with cpp-httplib, on a thread of their own.
#include "metrics_endpoint.h"

#include <httplib.h>
#include <pthread.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>
#include <utility>

namespace tavlo::metrics {

namespace {

constexpr char kContentType[] = "text/plain; version=0.0.4; charset=utf-8";

class HttpEndpoint final : public Endpoint {
public:
    bool start(const std::string &host, int port, std::string &error) {
        server_.Get("/metrics", [this](const httplib::Request &, httplib::Response &response) {
            std::string text;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                text = text_;
            }
            response.set_content(std::move(text), kContentType);
        });
        const int bound = port == 0 ? server_.bind_to_any_port(host) : port;
        if ((port == 0 && bound < 0) || (port != 0 && !server_.bind_to_port(host, port))) {
            error = "cannot listen on " + host + ":" + std::to_string(port);
            return false;
        }
        address_ = (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
                   std::to_string(bound);
        // The receiver's stop signals must reach its reading loop: the
        // server's threads, which inherit this mask, never take them.
        sigset_t all;
        sigset_t before;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &before);
        thread_ = std::thread([this] {
            server_.listen_after_bind();
            ended_ = true;
        });
        pthread_sigmask(SIG_SETMASK, &before, nullptr);
        // A stop before the server runs would not reach it.
        while (!server_.is_running() && !ended_) std::this_thread::yield();
        return true;
    }

    ~HttpEndpoint() override {
        server_.stop();
        if (thread_.joinable()) thread_.join();
    }

    void publish(std::string text) override {
        const std::lock_guard<std::mutex> lock(mutex_);
        text_ = std::move(text);
    }

    const std::string &address() const override { return address_; }

private:
    httplib::Server server_;
    std::thread thread_;
    std::atomic<bool> ended_{false};
    std::mutex mutex_;
    std::string text_;
    std::string address_;
};

}  // namespace

std::unique_ptr<Endpoint> open_endpoint(const std::string &address, int port, std::string &error) {
    auto endpoint = std::make_unique<HttpEndpoint>();
    if (!endpoint->start(address, port, error)) return nullptr;
    return endpoint;
}

std::string endpoint_unavailable() {
    return {};
}

}  // namespace tavlo::metrics
