// The simulator's server: one thread, one poll loop, every client served
// the same messages.
#pragma once

#include <csignal>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "devsim_options.h"
#include "frame_reader.h"
#include "message_source.h"
#include "unique_fd.h"

namespace tavlo::devsim {

class Server {
public:
    Server(const DevsimOptions &options, std::unique_ptr<MessageSource> source);
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Binds and listens. Returns false, with the reason, on failure.
    bool listen(std::string &error);

    // "ADDRESS:PORT" the server listens on ("[ADDRESS]:PORT" for IPv6).
    const std::string &address() const { return address_; }

    // Serves until `stop` is set or --count messages were sent to every
    // client that was there for them.
    void run(const volatile std::sig_atomic_t &stop);

private:
    struct Connection {
        posix::UniqueFd fd;
        int id = 0;
        wire::FrameReader in;
        std::vector<unsigned char> out;
        std::size_t out_start = 0;  // first byte of `out` not yet sent
        uint64_t queued = 0;        // bytes queued over the connection's life
        uint64_t sent = 0;          // bytes the socket took
        std::deque<std::pair<uint64_t, int64_t>> in_flight;  // (end byte, message number)
        int64_t messages = 0;
        int64_t last_out_ms = 0;
        bool welcomed = false;
        bool closing = false;  // close once the queue is sent
        bool stalled = false;  // nothing more is sent
        bool gone = false;
        std::size_t backlog() const { return out.size() - out_start; }
    };

    bool may_produce(int64_t now) const;
    void produce(int64_t now);
    void deliver(Connection &c, int64_t number);
    void queue(Connection &c, const unsigned char *bytes, std::size_t size, int64_t now);
    void accept_clients();
    void receive(Connection &c, int64_t now);
    void send_queued(Connection &c);
    void send_heartbeats(int64_t now);
    int poll_timeout(int64_t now) const;
    void drop(Connection &c, const char *why);
    void say(const char *format, ...) __attribute__((format(printf, 2, 3)));

    DevsimOptions options_;
    std::unique_ptr<MessageSource> source_;
    posix::UniqueFd listener_;
    std::string address_;
    std::vector<std::unique_ptr<Connection>> connections_;
    int next_id_ = 1;
    bool started_ = false;
    bool exhausted_ = false;
    int64_t produced_ = 0;
    int64_t next_due_ms_ = 0;
    records::Message message_;
    records::MessageRecords records_;
    std::vector<unsigned char> frame_;
    bool said_ = false;  // something printed since the last flush
};

}  // namespace tavlo::devsim
