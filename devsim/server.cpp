// The simulator's server: one thread, one poll loop, every client served
// the same messages.
#include "server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "byte_order.h"
#include "client_text.h"
#include "handshake.h"
#include "message_codec.h"
#include "wire_format.h"

namespace tavlo::devsim {

namespace {

// At full speed, and for everyone with --slow-client wait, a client whose
// queue holds this much holds up the next message.
constexpr std::size_t kPaceMark = 1 << 20;

// After accept() failed for want of descriptors (or any other reason that
// lasts), the listener rests this long before the next try.
constexpr int64_t kAcceptPauseMs = 250;

// Whether --skip-at leaves message `number` out for client `id`.
bool skipped(const Faults &faults, int64_t number, int id) {
    return faults.skip_at && number >= *faults.skip_at && number - *faults.skip_at < faults.skip &&
           (faults.skip_client == 0 || faults.skip_client == id);
}

}  // namespace

Server::Server(const DevsimOptions &options, std::unique_ptr<MessageSource> source,
               posix::Clock &clock, std::FILE *log)
    : options_(options), source_(std::move(source)), pace_(options_), clock_(clock), log_(log) {}

void Server::say(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(log_, format, args);
    va_end(args);
    said_ = true;
}

bool Server::listen(std::string &error) {
    sockaddr_storage storage{};
    socklen_t length = 0;
    auto *v4 = reinterpret_cast<sockaddr_in *>(&storage);
    auto *v6 = reinterpret_cast<sockaddr_in6 *>(&storage);
    if (inet_pton(AF_INET, options_.bind_address.c_str(), &v4->sin_addr) == 1) {
        v4->sin_family = AF_INET;
        v4->sin_port = htons(static_cast<uint16_t>(options_.port));
        length = sizeof *v4;
    } else if (inet_pton(AF_INET6, options_.bind_address.c_str(), &v6->sin6_addr) == 1) {
        v6->sin6_family = AF_INET6;
        v6->sin6_port = htons(static_cast<uint16_t>(options_.port));
        length = sizeof *v6;
    } else {
        error = "not an IP address: " + options_.bind_address;
        return false;
    }
    listener_.reset(socket(storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (!listener_ || bind(listener_.get(), reinterpret_cast<sockaddr *>(&storage), length) != 0 ||
        ::listen(listener_.get(), 64) != 0) {
        error =
            std::string("cannot listen on ") + options_.bind_address + ": " + std::strerror(errno);
        return false;
    }
    getsockname(listener_.get(), reinterpret_cast<sockaddr *>(&storage), &length);
    const int port = ntohs(storage.ss_family == AF_INET ? v4->sin_port : v6->sin6_port);
    address_ = storage.ss_family == AF_INET
                   ? options_.bind_address + ":" + std::to_string(port)
                   : "[" + options_.bind_address + "]:" + std::to_string(port);
    return true;
}

bool Server::holds_up(const Connection &c) const {
    return c.backlog() >= kPaceMark && (!paced() || !dropping());
}

// At full speed a client with bytes waiting is dropped once it took no
// byte for the link's silence limit: when that is, if it applies.
bool Server::stuck_deadline(const Connection &c, int64_t &deadline) const {
    if (paced() || !dropping() || !c.receiving() || c.backlog() == 0) return false;
    deadline = c.last_taken_ms + wire::kSilenceLimitMs;
    return true;
}

// No message comes any more: --count of them were made, or the script
// ended and the simulator ends with it.
bool Server::stream_over() const {
    return (options_.count > 0 && produced_ >= options_.count) ||
           (options_.exit_at_end && exhausted_);
}

bool Server::may_produce(int64_t now) const {
    if (!started_ || exhausted_ || now < next_due_ms_) return false;
    if (options_.count > 0 && produced_ >= options_.count) return false;
    bool anyone = false;
    for (const auto &c : connections_) {
        if (!c->receiving()) continue;
        if (holds_up(*c)) return false;
        anyone = true;
    }
    return anyone;
}

void Server::produce(int64_t now) {
    // Paced, a client that is too far behind when a message is due is
    // dropped, so that the others keep the pace.
    if (paced() && dropping()) {
        for (auto &c : connections_) {
            if (c->receiving() && c->backlog() > options_.max_queue_bytes) {
                drop(*c, "dropped: " + std::to_string(c->backlog()) +
                             " bytes waiting for it, more than the " +
                             std::to_string(options_.max_queue_bytes) + " of --max-queue");
            }
        }
        if (std::none_of(connections_.begin(), connections_.end(),
                         [](const auto &c) { return c->receiving(); })) {
            return;
        }
    }
    const int64_t number = options_.first_message + produced_;
    records::lay_out(next_.message, records_);
    frame_.clear();
    if (wire::encode_message_frame(records_, frame_)) {
        for (auto &c : connections_) {
            if (c->receiving()) deliver(*c, number, now);
        }
    } else {
        say("message %lld does not fit in a frame: not sent\n", static_cast<long long>(number));
    }
    ++produced_;
    fetch(now);
}

// Reads the next message and the time it is due.
void Server::fetch(int64_t now) {
    if (options_.count > 0 && produced_ >= options_.count) return;
    if (!source_->next(next_)) {
        exhausted_ = true;
        const std::string problem = source_->problem();
        if (problem.empty()) {
            say("all messages of the script sent\n");
        } else {
            say("%s: the script ends here\n", problem.c_str());
            script_broken_ = true;
        }
        return;
    }
    if (source_->starts_pass()) pace_.start_pass();
    next_due_ms_ = pace_.next_due(next_.received, now);
}

void Server::queue(Connection &c, const unsigned char *bytes, std::size_t size, int64_t now) {
    if (c.backlog() == 0) c.last_taken_ms = now;
    c.out.insert(c.out.end(), bytes, bytes + size);
    c.queued += size;
    c.last_out_ms = now;
}

void Server::deliver(Connection &c, int64_t number, int64_t now) {
    const Faults &faults = options_.faults;
    if (skipped(faults, number, c.id)) return;
    const std::size_t half = frame_.size() / 2;
    if (faults.oversize_at == number) {
        std::vector<unsigned char> oversized;
        wire::put<uint32_t>(oversized, 0x7fffffffu);
        wire::put<uint8_t>(oversized, wire::kMessage);
        queue(c, oversized.data(), oversized.size(), now);
    } else if (faults.corrupt_at == number) {
        // The tag count no longer matches the payload's length.
        std::vector<unsigned char> corrupt = frame_;
        corrupt[wire::kLengthPrefix + 1 + 16] ^= 0x01;
        queue(c, corrupt.data(), corrupt.size(), now);
    } else if (faults.truncate_at == number) {
        queue(c, frame_.data(), half, now);
        c.closing = true;
    } else if (faults.stall_at == number) {
        queue(c, frame_.data(), half, now);
        c.stalled = true;
    } else {
        queue(c, frame_.data(), frame_.size(), now);
        c.in_flight.emplace_back(c.queued, number);
        if (faults.close_after > 0 && ++c.messages >= faults.close_after) c.closing = true;
    }
}

void Server::accept_clients(int64_t now) {
    for (;;) {
        posix::UniqueFd fd(
            accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) return;
            // Out of descriptors (EMFILE, ENFILE) or memory: the listener
            // stays readable, so it rests instead of spinning.
            if (!accept_failing_) {
                say("cannot accept connections: %s; trying again every %lld ms\n",
                    std::strerror(errno), static_cast<long long>(kAcceptPauseMs));
            }
            accept_failing_ = true;
            accept_resume_ms_ = now + kAcceptPauseMs;
            return;
        }
        if (accept_failing_) say("accepting connections again\n");
        accept_failing_ = false;
        const int on = 1;
        setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto c = std::make_unique<Connection>();
        c->fd = std::move(fd);
        c->id = next_id_++;
        c->accepted_ms = now;
        c->last_out_ms = now;
        connections_.push_back(std::move(c));
    }
}

void Server::receive(Connection &c, int64_t now) {
    if (!c.welcomed && !c.closing) {
        receive_hello(c, now);
        return;
    }
    // After its HELLO a client sends nothing: one byte breaks the protocol.
    unsigned char byte = 0;
    const ssize_t n = recv(c.fd.get(), &byte, 1, 0);
    if (n > 0) {
        drop(c, "broke the protocol");
    } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        drop(c, "closed");
    }
}

// Stores no more than one HELLO frame of a connection, and closes it at the
// first byte that cannot belong to one.
void Server::receive_hello(Connection &c, int64_t now) {
    const ssize_t n =
        recv(c.fd.get(), c.hello.data() + c.hello_size, c.hello.size() - c.hello_size, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        drop(c, "closed");
        return;
    }
    c.hello_size += n > 0 ? static_cast<std::size_t>(n) : 0;
    if (!wire::may_start_hello(c.hello.data(), c.hello_size)) {
        drop(c, "broke the protocol");
        return;
    }
    if (c.hello_size < c.hello.size()) return;
    const auto hello =
        wire::decode_hello(c.hello.data() + wire::kLengthPrefix + 1, wire::kHelloPayloadLength);
    if (!hello) {
        drop(c, "broke the protocol");
        return;
    }
    std::vector<unsigned char> reply;
    if (hello->version != wire::kProtocolVersion) {
        wire::encode_refuse("this device speaks protocol version 1", reply);
        c.closing = true;
        say("client %d refused: protocol version %u\n", c.id, hello->version);
    } else {
        wire::encode_welcome(reply);
        c.welcomed = true;
        say("client %d connected (application %s)\n", c.id, loggable(hello->app_id).c_str());
    }
    queue(c, reply.data(), reply.size(), now);
}

void Server::send_queued(Connection &c, int64_t now) {
    while (c.backlog() > 0 && !c.gone) {
        const ssize_t n = send(c.fd.get(), c.out.data() + c.out_start, c.backlog(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR) drop(c, "closed");
            break;
        }
        c.out_start += static_cast<std::size_t>(n);
        c.sent += static_cast<uint64_t>(n);
        c.last_taken_ms = now;
    }
    while (!c.in_flight.empty() && c.in_flight.front().first <= c.sent) {
        if (options_.verbose)
            say("sent %lld to client %d\n", static_cast<long long>(c.in_flight.front().second),
                c.id);
        c.in_flight.pop_front();
    }
    if (c.out_start == c.out.size()) {
        c.out.clear();
        c.out_start = 0;
        if (c.closing && !c.gone) drop(c, "closed by the simulator");
    } else if (c.out_start > c.out.size() / 2) {
        c.out.erase(c.out.begin(), c.out.begin() + static_cast<std::ptrdiff_t>(c.out_start));
        c.out_start = 0;
    }
}

void Server::send_heartbeats(int64_t now) {
    for (auto &c : connections_) {
        if (!c->welcomed || c->closing || c->stalled || c->gone || c->backlog() > 0) continue;
        if (now - c->last_out_ms < wire::kHeartbeatIntervalMs) continue;
        std::vector<unsigned char> heartbeat;
        wire::encode_heartbeat(heartbeat);
        queue(*c, heartbeat.data(), heartbeat.size(), now);
    }
}

void Server::drop_late_and_stuck(int64_t now) {
    for (auto &c : connections_) {
        int64_t deadline = 0;
        if (!c->welcomed && !c->closing && !c->gone &&
            now - c->accepted_ms >= wire::kHandshakeLimitMs) {
            drop(*c, "dropped: no HELLO within 2 s");
        } else if (stuck_deadline(*c, deadline) && now >= deadline) {
            drop(*c, "dropped: took nothing for 5 s");
        }
    }
}

void Server::drop(Connection &c, const std::string &why) {
    c.fd.reset();
    c.gone = true;
    say("client %d %s\n", c.id, why.c_str());
}

int64_t Server::now_ms() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(clock_.now().time_since_epoch())
        .count();
}

int Server::poll_timeout(int64_t now) const {
    if (may_produce(now)) return 0;
    int64_t wait = wire::kHeartbeatIntervalMs;
    if (started_ && !exhausted_ && next_due_ms_ > now) wait = std::min(wait, next_due_ms_ - now);
    if (accept_resume_ms_ > now) wait = std::min(wait, accept_resume_ms_ - now);
    for (const auto &c : connections_) {
        int64_t deadline = 0;
        if (!c->welcomed && !c->closing) {
            wait = std::min(wait, c->accepted_ms + wire::kHandshakeLimitMs - now);
        } else if (stuck_deadline(*c, deadline)) {
            wait = std::min(wait, deadline - now);
        }
    }
    return static_cast<int>(std::max<int64_t>(wait, 1));
}

bool Server::step() {
    int64_t now = now_ms();
    drop_late_and_stuck(now);
    const auto welcomed = std::count_if(connections_.begin(), connections_.end(),
                                        [](const auto &c) { return c->welcomed && !c->gone; });
    if (!started_ && welcomed >= options_.clients) {
        started_ = true;
        fetch(now);
    }
    // At full speed, fill every queue up to its mark before polling.
    for (int batch = 0; batch < 64 && may_produce(now); ++batch) produce(now);
    if (stream_over() && std::all_of(connections_.begin(), connections_.end(),
                                     [](const auto &c) { return c->gone || c->backlog() == 0; })) {
        if (exhausted_) {
            say("stopped at the end of the script\n");
        } else {
            say("stopped after %lld messages\n", static_cast<long long>(produced_));
        }
        return false;
    }
    send_heartbeats(now);

    // The listener rests (fd -1, which poll() passes over) after a failed accept.
    std::vector<pollfd> fds{{now >= accept_resume_ms_ ? listener_.get() : -1, POLLIN, 0}};
    for (const auto &c : connections_) {
        fds.push_back(
            {c->fd.get(), static_cast<short>(POLLIN | (c->backlog() > 0 ? POLLOUT : 0)), 0});
    }
    if (said_) {
        std::fflush(log_);
        said_ = false;
    }
    const auto deadline = clock_.now() + std::chrono::milliseconds(poll_timeout(now));
    if (clock_.poll_until(fds.data(), fds.size(), deadline) < 0 && errno != EINTR) return false;
    now = now_ms();
    if (fds[0].revents & POLLIN) accept_clients(now);
    for (std::size_t i = 1; i < fds.size(); ++i) {
        Connection &c = *connections_[i - 1];
        if (!c.gone && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) receive(c, now);
    }
    for (auto &c : connections_) {
        if (!c->gone && c->backlog() > 0) send_queued(*c, now);
    }
    connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                      [](const auto &c) { return c->gone; }),
                       connections_.end());
    return true;
}

void Server::run(const volatile std::sig_atomic_t &stop) {
    while (!stop && step()) {
    }
    std::fflush(log_);
}

}  // namespace tavlo::devsim
