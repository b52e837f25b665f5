// What a wait on descriptors is made of: poll()'s entries on POSIX, and
// Winsock's (WSAPoll, sockets only) on Windows.
#pragma once

#ifdef _WIN32
#include <winsock2.h>
#else
#include <poll.h>
#endif

namespace tavlo::posix {

#ifdef _WIN32
using PollCount = ULONG;
#else
using PollCount = nfds_t;
#endif

// The entry that waits for `events` on `fd`.
inline pollfd poll_entry(int fd, short events) {
    pollfd entry{};
#ifdef _WIN32
    entry.fd = static_cast<SOCKET>(fd);
#else
    entry.fd = fd;
#endif
    entry.events = events;
    return entry;
}

}  // namespace tavlo::posix
