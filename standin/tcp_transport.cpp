// A device reached over TCP, speaking the device link's wire protocol.
#include "tcp_transport.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

#include "handshake.h"
#include "message_codec.h"
#include "sockets.h"
#include "transport.h"
#include "transport_table.h"
#include "wire_format.h"

namespace tavlo::standin {

namespace {

using std::chrono::milliseconds;

// How long a connect, and then the device's welcome, may take.
constexpr milliseconds kConnectLimit{2000};
// How long the device may stay silent before it is taken for gone.
constexpr milliseconds kSilenceLimit{wire::kSilenceLimitMs};

// Waits for `events` on `fd` until `deadline`. Returns 1 when ready, 0 at
// the deadline, or an error code.
int32_t wait_for(int fd, short events, posix::Clock::Time deadline) {
    const int ready = posix::clock_in_use().poll_until(fd, events, deadline);
    if (ready < 0) return errno == EINTR ? kInterrupted : kConnectFailed;
    return ready;
}

// A connected socket to one of the name's addresses, or an error code.
int32_t connect_socket(const TcpDeviceName &name, posix::UniqueSocket &socket_fd) {
    if (!posix::sockets_ready()) return kConnectFailed;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *addresses = nullptr;
    if (getaddrinfo(name.host.c_str(), name.port.c_str(), &hints, &addresses) != 0) {
        return kConnectFailed;
    }
    int32_t error = kConnectFailed;
    const posix::Clock::Time deadline = posix::clock_in_use().now() + kConnectLimit;
    for (addrinfo *a = addresses; a != nullptr && error == kConnectFailed; a = a->ai_next) {
        posix::UniqueSocket fd = posix::open_stream_socket(*a);
        if (!fd) continue;
        const posix::ConnectStart start = posix::start_connect(fd.get(), *a);
        if (start == posix::ConnectStart::kConnected) {
            error = 0;
        } else if (start == posix::ConnectStart::kInProgress) {
            const int32_t ready = wait_for(fd.get(), POLLOUT, deadline);
            if (ready == 1 && posix::connect_succeeded(fd.get())) {
                error = 0;
            } else if (ready == kInterrupted) {
                error = kInterrupted;
            }
        }
        if (error == 0) socket_fd = std::move(fd);
    }
    freeaddrinfo(addresses);
    return error;
}

int32_t send_all(int fd, const std::vector<unsigned char> &bytes, posix::Clock::Time deadline) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        posix::SocketFailure why = posix::SocketFailure::kNone;
        const long n = posix::send_some(fd, bytes.data() + sent, bytes.size() - sent, why);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (why == posix::SocketFailure::kWouldWait) {
            const int32_t ready = wait_for(fd, POLLOUT, deadline);
            if (ready != 1) return ready == kInterrupted ? kInterrupted : kConnectFailed;
        } else if (why != posix::SocketFailure::kInterrupted) {
            return kConnectFailed;
        }
    }
    return 0;
}

}  // namespace

bool TcpTransport::recognises(std::string_view device) {
    return parse_tcp_device_name(device).has_value();
}

int32_t TcpTransport::open(std::string_view device, const std::string &app_id,
                           std::unique_ptr<Transport> &transport) {
    const auto name = parse_tcp_device_name(device);
    if (!name) return kUnknownDevice;
    posix::UniqueSocket socket_fd;
    if (const int32_t error = connect_socket(*name, socket_fd); error != 0) return error;
    posix::keep_lively(socket_fd.get());
    return greet(std::move(socket_fd), app_id, transport);
}

TcpTransport::TcpTransport(posix::UniqueSocket socket)
    : socket_(std::move(socket)), last_heard_(posix::clock_in_use().now()) {}

int32_t TcpTransport::greet(posix::UniqueSocket socket, const std::string &app_id,
                            std::unique_ptr<Transport> &transport) {
    std::unique_ptr<TcpTransport> link(new TcpTransport(std::move(socket)));
    std::vector<unsigned char> hello;
    wire::encode_hello(app_id, wire::kProtocolVersion, hello);
    const posix::Clock::Time deadline = posix::clock_in_use().now() + kConnectLimit;
    if (const int32_t error = send_all(link->socket_.get(), hello, deadline); error != 0) {
        return error;
    }
    for (;;) {
        wire::Frame frame;
        const auto status = link->reader_.next(frame);
        if (status == wire::FrameReader::Status::kBad) return kBadFrame;
        if (status == wire::FrameReader::Status::kFrame) {
            if (frame.type == wire::kRefuse) return kRefused;
            const auto version = frame.type == wire::kWelcome
                                     ? wire::decode_welcome(frame.payload, frame.length)
                                     : std::nullopt;
            if (!version) return kBadFrame;
            // A device that welcomes in another version speaks none we know.
            if (*version != wire::kProtocolVersion) return kRefused;
            transport = std::move(link);
            return 0;
        }
        if (link->peer_closed_) return kConnectFailed;
        if (posix::clock_in_use().now() >= deadline) return kConnectFailed;
        if (const int32_t error = link->receive(deadline); error != 0) {
            return error == kConnectionLost ? kConnectFailed : error;
        }
    }
}

int32_t TcpTransport::receive(posix::Clock::Time deadline) {
    const int ready = posix::clock_in_use().poll_until(socket_.get(), POLLIN, deadline);
    if (ready < 0) return errno == EINTR ? kInterrupted : kConnectionLost;
    if (ready == 0) return 0;
    std::size_t room = 0;
    unsigned char *space = reader_.space(room);
    posix::SocketFailure why = posix::SocketFailure::kNone;
    const long n = posix::receive_some(socket_.get(), space, room, why);
    reader_.commit(n > 0 ? static_cast<std::size_t>(n) : 0);
    if (n > 0) {
        last_heard_ = posix::clock_in_use().now();
        return 0;
    }
    if (n == 0) {
        peer_closed_ = true;
        return 0;
    }
    if (why == posix::SocketFailure::kWouldWait) return 0;
    return why == posix::SocketFailure::kInterrupted ? kInterrupted : kConnectionLost;
}

int32_t TcpTransport::read(milliseconds wait, records::MessageRecords &records) {
    const posix::Clock::Time deadline =
        posix::clock_in_use().now() + std::max(wait, milliseconds(0));
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
        const posix::Clock::Time now = posix::clock_in_use().now();
        const posix::Clock::Time silence_ends = last_heard_ + kSilenceLimit;
        // Bytes waiting in the socket have arrived, however long they
        // waited for a reader who was away: the device is silent only when
        // a look at the socket finds nothing either.
        if (looked && now >= silence_ends) return kConnectionLost;
        if (looked && now >= deadline) return kNoMessage;
        looked = true;
        if (const int32_t error = receive(std::min(deadline, silence_ends)); error != 0) {
            return error;
        }
    }
}

}  // namespace tavlo::standin
