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
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "byte_order.h"
#include "handshake.h"
#include "message_codec.h"
#include "wire_format.h"

namespace tavlo::devsim {

namespace {

// A client whose queue holds this much holds up the next message.
constexpr std::size_t kHighWater = 1 << 20;

int64_t now_ms() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

}  // namespace

Server::Server(const DevsimOptions &options, std::unique_ptr<MessageSource> source)
    : options_(options), source_(std::move(source)) {}

void Server::say(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
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

bool Server::may_produce(int64_t now) const {
    if (!started_ || exhausted_ || now < next_due_ms_) return false;
    if (options_.count > 0 && produced_ >= options_.count) return false;
    bool anyone = false;
    for (const auto &c : connections_) {
        if (!c->welcomed || c->closing || c->stalled || c->gone) continue;
        if (c->backlog() >= kHighWater) return false;
        anyone = true;
    }
    return anyone;
}

void Server::produce(int64_t now) {
    if (!source_->next(message_)) {
        exhausted_ = true;
        say("all messages of the script sent\n");
        return;
    }
    records::lay_out(message_, records_);
    frame_.clear();
    wire::encode_message_frame(records_, frame_);
    for (auto &c : connections_) {
        if (c->welcomed && !c->closing && !c->stalled && !c->gone) {
            deliver(*c, options_.first_message + produced_);
        }
    }
    ++produced_;
    next_due_ms_ =
        options_.interval_ms > 0 ? std::max(next_due_ms_ + options_.interval_ms, now) : now;
}

void Server::queue(Connection &c, const unsigned char *bytes, std::size_t size, int64_t now) {
    c.out.insert(c.out.end(), bytes, bytes + size);
    c.queued += size;
    c.last_out_ms = now;
}

void Server::deliver(Connection &c, int64_t number) {
    const Faults &faults = options_.faults;
    const int64_t now = now_ms();
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

void Server::accept_clients() {
    for (;;) {
        posix::UniqueFd fd(
            accept4(listener_.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!fd) return;
        const int on = 1;
        setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto c = std::make_unique<Connection>();
        c->fd = std::move(fd);
        c->id = next_id_++;
        c->last_out_ms = now_ms();
        connections_.push_back(std::move(c));
    }
}

void Server::receive(Connection &c, int64_t now) {
    std::size_t room = 0;
    unsigned char *space = c.in.space(room);
    const ssize_t n = recv(c.fd.get(), space, room, 0);
    c.in.commit(n > 0 ? static_cast<std::size_t>(n) : 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
        drop(c, "closed");
        return;
    }
    wire::Frame frame;
    for (auto status = c.in.next(frame); !c.gone; status = c.in.next(frame)) {
        if (status == wire::FrameReader::Status::kNeedMore) return;
        const auto hello = status == wire::FrameReader::Status::kFrame && frame.type == wire::kHello
                               ? wire::decode_hello(frame.payload, frame.length)
                               : std::nullopt;
        if (c.welcomed || !hello) {
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
            say("client %d connected (application %s)\n", c.id, hello->app_id.c_str());
        }
        queue(c, reply.data(), reply.size(), now);
    }
}

void Server::send_queued(Connection &c) {
    while (c.backlog() > 0 && !c.gone) {
        const ssize_t n = send(c.fd.get(), c.out.data() + c.out_start, c.backlog(), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno != EAGAIN && errno != EINTR) drop(c, "closed");
            break;
        }
        c.out_start += static_cast<std::size_t>(n);
        c.sent += static_cast<uint64_t>(n);
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

void Server::drop(Connection &c, const char *why) {
    c.fd.reset();
    c.gone = true;
    if (c.welcomed || c.closing) say("client %d %s\n", c.id, why);
}

int Server::poll_timeout(int64_t now) const {
    if (may_produce(now)) return 0;
    int64_t wait = wire::kHeartbeatIntervalMs;
    if (started_ && !exhausted_ && next_due_ms_ > now) wait = std::min(wait, next_due_ms_ - now);
    return static_cast<int>(std::max<int64_t>(wait, 1));
}

void Server::run(const volatile std::sig_atomic_t &stop) {
    while (!stop) {
        int64_t now = now_ms();
        const auto welcomed = std::count_if(connections_.begin(), connections_.end(),
                                            [](const auto &c) { return c->welcomed && !c->gone; });
        if (!started_ && welcomed >= options_.clients) {
            started_ = true;
            next_due_ms_ = now;
        }
        // At full speed, fill every queue up to its mark before polling.
        for (int batch = 0; batch < 64 && may_produce(now); ++batch) produce(now);
        const bool done = options_.count > 0 && produced_ >= options_.count;
        if (done && std::all_of(connections_.begin(), connections_.end(),
                                [](const auto &c) { return c->gone || c->backlog() == 0; })) {
            say("stopped after %lld messages\n", static_cast<long long>(produced_));
            break;
        }
        send_heartbeats(now);

        std::vector<pollfd> fds{{listener_.get(), POLLIN, 0}};
        for (const auto &c : connections_) {
            fds.push_back(
                {c->fd.get(), static_cast<short>(POLLIN | (c->backlog() > 0 ? POLLOUT : 0)), 0});
        }
        if (said_) {
            std::fflush(stdout);
            said_ = false;
        }
        if (poll(fds.data(), fds.size(), poll_timeout(now)) < 0 && errno != EINTR) break;
        now = now_ms();
        if (fds[0].revents & POLLIN) accept_clients();
        for (std::size_t i = 1; i < fds.size(); ++i) {
            Connection &c = *connections_[i - 1];
            if (!c.gone && (fds[i].revents & (POLLIN | POLLHUP | POLLERR))) receive(c, now);
        }
        for (auto &c : connections_) {
            if (!c->gone && c->backlog() > 0) send_queued(*c);
        }
        connections_.erase(std::remove_if(connections_.begin(), connections_.end(),
                                          [](const auto &c) { return c->gone; }),
                           connections_.end());
    }
    std::fflush(stdout);
}

}  // namespace tavlo::devsim
