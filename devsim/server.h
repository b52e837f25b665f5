// The simulator's server: one thread, one poll loop, every client served
// the same messages.
#pragma once

#include <array>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "clock.h"
#include "devsim_options.h"
#include "handshake.h"
#include "message_source.h"
#include "pace.h"
#include "unique_fd.h"

namespace tavlo::devsim {

class Server {
public:
    // The server reads the time and waits through `clock`, and writes its
    // lines (a client connected or gone, the limits it met) to `log`.
    Server(const DevsimOptions &options, std::unique_ptr<MessageSource> source,
           posix::Clock &clock = posix::system_clock(), std::FILE *log = stdout);
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Binds and listens. Returns false, with the reason, on failure.
    bool listen(std::string &error);

    // "ADDRESS:PORT" the server listens on ("[ADDRESS]:PORT" for IPv6).
    const std::string &address() const { return address_; }

    // Serves until `stop` is set or step() says the work is done; the
    // connections close with the server.
    void run(const volatile std::sig_atomic_t &stop);

    // Whether a line in error ended the script before its last message.
    bool script_broken() const { return script_broken_; }

    // One pass of the loop: drops the clients that broke a limit, makes the
    // messages that are due (the next one is read from its source when the
    // one before was made, so that its time is known), waits once on the sockets (at most until the
    // next deadline) and serves them. Returns false when it is done: the
    // stream is over (--count messages made, or the script's last with
    // --exit-at-end) and every client was handed all of it, or the wait
    // failed.
    bool step();

private:
    struct Connection {
        posix::UniqueFd fd;
        int id = 0;
        int64_t accepted_ms = 0;
        std::array<unsigned char, wire::kHelloFrameSize> hello{};  // the only bytes a client sends
        std::size_t hello_size = 0;
        std::vector<unsigned char> out;
        std::size_t out_start = 0;  // first byte of `out` not yet sent
        uint64_t queued = 0;        // bytes queued over the connection's life
        uint64_t sent = 0;          // bytes the socket took
        std::deque<std::pair<uint64_t, int64_t>> in_flight;  // (end byte, message number)
        int64_t messages = 0;
        int64_t last_out_ms = 0;    // when a frame was last queued
        int64_t last_taken_ms = 0;  // when the socket last took bytes, or bytes began to wait
        bool welcomed = false;
        bool closing = false;  // close once the queue is sent
        bool stalled = false;  // nothing more is sent
        bool gone = false;
        std::size_t backlog() const { return out.size() - out_start; }
        bool receiving() const { return welcomed && !closing && !stalled && !gone; }
    };

    bool paced() const { return pace_.paced(); }
    bool dropping() const { return options_.slow_client == SlowClient::kDrop; }
    bool holds_up(const Connection &c) const;
    bool stuck_deadline(const Connection &c, int64_t &deadline) const;
    bool stream_over() const;
    bool may_produce(int64_t now) const;
    void produce(int64_t now);
    void fetch(int64_t now);
    void deliver(Connection &c, int64_t number, int64_t now);
    void queue(Connection &c, const unsigned char *bytes, std::size_t size, int64_t now);
    void accept_clients(int64_t now);
    void receive(Connection &c, int64_t now);
    void receive_hello(Connection &c, int64_t now);
    void send_queued(Connection &c, int64_t now);
    void send_heartbeats(int64_t now);
    void drop_late_and_stuck(int64_t now);
    // Milliseconds on the clock, the time the loop runs on.
    int64_t now_ms();
    int poll_timeout(int64_t now) const;
    void drop(Connection &c, const std::string &why);
    void say(const char *format, ...) __attribute__((format(printf, 2, 3)));

    DevsimOptions options_;
    std::unique_ptr<MessageSource> source_;
    Pace pace_;
    posix::Clock &clock_;
    std::FILE *log_;
    posix::UniqueFd listener_;
    std::string address_;
    std::vector<std::unique_ptr<Connection>> connections_;
    int next_id_ = 1;
    bool started_ = false;
    bool exhausted_ = false;
    bool script_broken_ = false;
    int64_t produced_ = 0;
    int64_t next_due_ms_ = 0;
    int64_t accept_resume_ms_ = 0;  // the listener rests until then after accept failed
    bool accept_failing_ = false;   // said so once; said again when it works again
    script::ScriptMessage next_;    // the message due at next_due_ms_, unless exhausted_
    records::MessageRecords records_;
    std::vector<unsigned char> frame_;
    bool said_ = false;  // something printed since the last flush
};

}  // namespace tavlo::devsim
