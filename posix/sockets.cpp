// Stream sockets on POSIX and on Windows, side by side.
#include "sockets.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#ifndef _WIN32
#include <netinet/in.h>
#include <netinet/tcp.h>
#endif

namespace tavlo::posix {

#ifdef _WIN32

namespace {

SocketFailure last_failure() {
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) return SocketFailure::kWouldWait;
    return error == WSAEINTR ? SocketFailure::kInterrupted : SocketFailure::kFailed;
}

int clamped(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

}  // namespace

bool sockets_ready() {
    // Never cleaned up: the sockets stay usable until the process ends.
    static const bool ready = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

UniqueSocket open_stream_socket(const addrinfo &address) {
    const SOCKET handle = WSASocketW(address.ai_family, address.ai_socktype, address.ai_protocol,
                                     nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (handle == INVALID_SOCKET) return UniqueSocket();
    UniqueSocket socket(static_cast<int>(handle));
    u_long no_wait = 1;
    if (ioctlsocket(handle, static_cast<long>(FIONBIO), &no_wait) != 0) return UniqueSocket();
    return socket;
}

ConnectStart start_connect(int fd, const addrinfo &address) {
    if (connect(static_cast<SOCKET>(fd), address.ai_addr, static_cast<int>(address.ai_addrlen)) ==
        0) {
        return ConnectStart::kConnected;
    }
    return WSAGetLastError() == WSAEWOULDBLOCK ? ConnectStart::kInProgress : ConnectStart::kFailed;
}

bool connect_succeeded(int fd) {
    int error = 0;
    int size = sizeof error;
    return getsockopt(static_cast<SOCKET>(fd), SOL_SOCKET, SO_ERROR,
                      reinterpret_cast<char *>(&error), &size) == 0 &&
           error == 0;
}

void keep_lively(int fd) {
    const BOOL on = TRUE;
    const auto option = reinterpret_cast<const char *>(&on);
    setsockopt(static_cast<SOCKET>(fd), IPPROTO_TCP, TCP_NODELAY, option, sizeof on);
    setsockopt(static_cast<SOCKET>(fd), SOL_SOCKET, SO_KEEPALIVE, option, sizeof on);
}

long send_some(int fd, const unsigned char *data, std::size_t size, SocketFailure &why) {
    const int n =
        send(static_cast<SOCKET>(fd), reinterpret_cast<const char *>(data), clamped(size), 0);
    why = n < 0 ? last_failure() : SocketFailure::kNone;
    return n;
}

long receive_some(int fd, unsigned char *data, std::size_t size, SocketFailure &why) {
    const int n = recv(static_cast<SOCKET>(fd), reinterpret_cast<char *>(data), clamped(size), 0);
    why = n < 0 ? last_failure() : SocketFailure::kNone;
    return n;
}

#else

namespace {

SocketFailure last_failure() {
    if (errno == EAGAIN || errno == EWOULDBLOCK) return SocketFailure::kWouldWait;
    return errno == EINTR ? SocketFailure::kInterrupted : SocketFailure::kFailed;
}

}  // namespace

bool sockets_ready() {
    return true;
}

UniqueSocket open_stream_socket(const addrinfo &address) {
    return UniqueSocket(socket(address.ai_family,
                               address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                               address.ai_protocol));
}

ConnectStart start_connect(int fd, const addrinfo &address) {
    if (connect(fd, address.ai_addr, address.ai_addrlen) == 0) return ConnectStart::kConnected;
    return errno == EINPROGRESS ? ConnectStart::kInProgress : ConnectStart::kFailed;
}

bool connect_succeeded(int fd) {
    int error = 0;
    socklen_t size = sizeof error;
    return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

void keep_lively(int fd) {
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
}

long send_some(int fd, const unsigned char *data, std::size_t size, SocketFailure &why) {
    const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    why = n < 0 ? last_failure() : SocketFailure::kNone;
    return n;
}

long receive_some(int fd, unsigned char *data, std::size_t size, SocketFailure &why) {
    const ssize_t n = recv(fd, data, size, 0);
    why = n < 0 ? last_failure() : SocketFailure::kNone;
    return n;
}

#endif

}  // namespace tavlo::posix
