// A device reached over TCP, speaking the device link's wire protocol.
#include "tcp_transport.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "errors.h"
#include "handshake.h"
#include "interruptible_wait.h"
#include "message_codec.h"
#include "wire_format.h"

namespace tavlo::standin {

namespace {

// How long a connect, and then the device's welcome, may take.
constexpr int64_t kConnectLimitMs = 2000;

// Waits for `events` on `fd` until `deadline_ms`. Returns 1 when ready, 0
// at the deadline, or an error code.
int32_t wait_for(int fd, short events, int64_t deadline_ms) {
    const int64_t left = std::max<int64_t>(deadline_ms - monotonic_ms(), 0);
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left));
    if (ready < 0) return errno == EINTR ? kInterrupted : kConnectFailed;
    return ready;
}

// A connected socket to one of the name's addresses, or an error code.
int32_t connect_socket(const TcpDeviceName &name, int &fd) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *addresses = nullptr;
    if (getaddrinfo(name.host.c_str(), name.port.c_str(), &hints, &addresses) != 0) {
        return kConnectFailed;
    }
    int32_t error = kConnectFailed;
    const int64_t deadline = monotonic_ms() + kConnectLimitMs;
    for (addrinfo *a = addresses; a != nullptr && error == kConnectFailed; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            error = 0;
        } else if (errno == EINPROGRESS) {
            const int32_t ready = wait_for(fd, POLLOUT, deadline);
            int socket_error = 0;
            socklen_t size = sizeof socket_error;
            if (ready == 1 && getsockopt(fd, SOL_SOCKET, SO_ERROR, &socket_error, &size) == 0 &&
                socket_error == 0) {
                error = 0;
            } else if (ready == kInterrupted) {
                error = kInterrupted;
            }
        }
        if (error != 0) close(fd);
    }
    freeaddrinfo(addresses);
    if (error != 0) fd = -1;
    return error;
}

int32_t send_all(int fd, const std::vector<unsigned char> &bytes, int64_t deadline_ms) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EAGAIN) {
            const int32_t ready = wait_for(fd, POLLOUT, deadline_ms);
            if (ready != 1) return ready == kInterrupted ? kInterrupted : kConnectFailed;
        } else if (n < 0 && errno != EINTR) {
            return kConnectFailed;
        }
    }
    return 0;
}

}  // namespace

TcpTransport::TcpTransport(int fd) : fd_(fd), last_heard_ms_(monotonic_ms()) {}

TcpTransport::~TcpTransport() {
    close(fd_);
}

int32_t TcpTransport::open(const TcpDeviceName &name, const std::string &app_id,
                           std::unique_ptr<Transport> &transport) {
    int fd = -1;
    if (const int32_t error = connect_socket(name, fd); error != 0) return error;
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    std::unique_ptr<TcpTransport> link(new TcpTransport(fd));

    std::vector<unsigned char> hello;
    wire::encode_hello(app_id, wire::kProtocolVersion, hello);
    const int64_t deadline = monotonic_ms() + kConnectLimitMs;
    if (const int32_t error = send_all(fd, hello, deadline); error != 0) return error;
    for (;;) {
        wire::Frame frame;
        const auto status = link->reader_.next(frame);
        if (status == wire::FrameReader::Status::kBad) return kBadFrame;
        if (status == wire::FrameReader::Status::kFrame) {
            if (frame.type == wire::kRefuse) return kRefused;
            if (frame.type != wire::kWelcome ||
                !wire::decode_welcome(frame.payload, frame.length)) {
                return kBadFrame;
            }
            transport = std::move(link);
            return 0;
        }
        if (link->peer_closed_) return kConnectFailed;
        const int64_t left = deadline - monotonic_ms();
        if (left <= 0) return kConnectFailed;
        if (const int32_t error = link->receive(left); error != 0) {
            return error == kConnectionLost ? kConnectFailed : error;
        }
    }
}

int32_t TcpTransport::receive(int64_t wait_ms) {
    pollfd entry{fd_, POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(std::max<int64_t>(wait_ms, 0)));
    if (ready < 0) return errno == EINTR ? kInterrupted : kConnectionLost;
    if (ready == 0) return 0;
    std::size_t room = 0;
    unsigned char *space = reader_.space(room);
    const ssize_t n = recv(fd_, space, room, 0);
    reader_.commit(n > 0 ? static_cast<std::size_t>(n) : 0);
    if (n > 0) {
        last_heard_ms_ = monotonic_ms();
        return 0;
    }
    if (n == 0) {
        peer_closed_ = true;
        return 0;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return errno == EINTR ? kInterrupted : kConnectionLost;
}

int32_t TcpTransport::read(int64_t wait_ms, sim::MessageRecords &records) {
    const int64_t deadline = monotonic_ms() + std::max<int64_t>(wait_ms, 0);
    bool looked = false;  // even a read that may not wait looks at the socket once
    for (;;) {
        wire::Frame frame;
        const auto status = reader_.next(frame);
        if (status == wire::FrameReader::Status::kBad) return kBadFrame;
        if (status == wire::FrameReader::Status::kFrame) {
            if (frame.type == wire::kHeartbeat) continue;
            if (frame.type == wire::kRefuse) return kRefused;
            if (frame.type != wire::kMessage) return kBadFrame;
            return wire::decode_message(frame.payload, frame.length, records) ? 0 : kBadFrame;
        }
        if (peer_closed_) return kConnectionLost;
        const int64_t now = monotonic_ms();
        const int64_t silence_left = last_heard_ms_ + wire::kSilenceLimitMs - now;
        if (silence_left <= 0) return kConnectionLost;
        if (now >= deadline && looked) return kNoMessage;
        looked = true;
        if (const int32_t error = receive(std::min(deadline - now, silence_left)); error != 0) {
            return error;
        }
    }
}

}  // namespace tavlo::standin
