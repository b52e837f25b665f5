// Stream sockets the same way on POSIX and on Windows (Winsock): a socket is
// held as an int there too, for its handles are small numbers, and
// INVALID_SOCKET becomes -1.
#pragma once

#include <cstddef>
#include <utility>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

#include "unique_fd.h"

namespace tavlo::posix {

#ifdef _WIN32
// Owns one socket and closes it when it goes, as UniqueFd owns a descriptor.
class UniqueSocket {
public:
    UniqueSocket() = default;
    explicit UniqueSocket(int fd) noexcept : fd_(fd) {}
    UniqueSocket(UniqueSocket &&other) noexcept : fd_(other.release()) {}
    UniqueSocket &operator=(UniqueSocket &&other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueSocket(const UniqueSocket &) = delete;
    UniqueSocket &operator=(const UniqueSocket &) = delete;
    ~UniqueSocket() { reset(); }

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }
    int release() noexcept { return std::exchange(fd_, -1); }
    void reset(int fd = -1) noexcept {
        const int old = std::exchange(fd_, fd);
        if (old >= 0 && old != fd) closesocket(static_cast<SOCKET>(old));
    }

private:
    int fd_ = -1;
};
#else
using UniqueSocket = UniqueFd;
#endif

// Readies the process's sockets (Winsock's start, once). False when there
// are none to be had.
bool sockets_ready();

// A stream socket of `address`'s family and protocol that never waits and
// that no child inherits; empty when none can be made.
UniqueSocket open_stream_socket(const addrinfo &address);

enum class ConnectStart { kConnected, kInProgress, kFailed };

// Starts to connect `fd` to `address`; one that is in progress ends when
// the socket takes bytes (POLLOUT), and connect_succeeded() tells how.
ConnectStart start_connect(int fd, const addrinfo &address);
bool connect_succeeded(int fd);

// Sends each write at once, and asks the peer from time to time whether it
// is still there.
void keep_lively(int fd);

// Why a send or a receive moved no bytes.
enum class SocketFailure { kNone, kWouldWait, kInterrupted, kFailed };

// Sends or receives up to `size` bytes without waiting. Returns how many;
// a receive returns 0 when the peer closed. -1 with `why` set otherwise. A
// send to a peer that went away fails without a signal.
long send_some(int fd, const unsigned char *data, std::size_t size, SocketFailure &why);
long receive_some(int fd, unsigned char *data, std::size_t size, SocketFailure &why);

}  // namespace tavlo::posix
