// Files the same way on POSIX and on Windows: the flags of open() that one
// of them lacks, binary mode, the text of an errno, and a read at an offset.
#pragma once

#include <fcntl.h>
#include <sys/types.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tavlo::posix {

#ifdef _WIN32
// Windows has no descriptors that a child inherits by exec, nor writes that
// never wait; its files are opened in binary mode, so that their bytes are
// those of a POSIX system.
inline constexpr int kOpenCloseOnExec = 0;
inline constexpr int kOpenNoWait = 0;
inline constexpr int kOpenBinary = O_BINARY;
#else
inline constexpr int kOpenCloseOnExec = O_CLOEXEC;
inline constexpr int kOpenNoWait = O_NONBLOCK;
inline constexpr int kOpenBinary = 0;
#endif

// Makes `fd` write its bytes as they are: no line end becomes CR LF on
// Windows (a POSIX descriptor never changes them).
inline void write_binary(int fd) {
#ifdef _WIN32
    _setmode(fd, _O_BINARY);
#else
    static_cast<void>(fd);
#endif
}

// The text of `error`, as strerror() gives it, from any thread.
inline std::string error_text(int error) {
    char buffer[256] = {};
#ifdef _WIN32
    strerror_s(buffer, sizeof buffer, error);
    return buffer;
#else
    return strerror_r(error, buffer, sizeof buffer);
#endif
}

// Up to `count` bytes of `fd`, as read() reads them.
inline ssize_t read_from(int fd, void *buffer, std::size_t count) {
#ifdef _WIN32
    return _read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX)));
#else
    return ::read(fd, buffer, count);
#endif
}

// Writes up to `count` bytes of `buffer` to `fd`, as write() does.
inline ssize_t write_to(int fd, const void *buffer, std::size_t count) {
#ifdef _WIN32
    return _write(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(count, INT_MAX)));
#else
    return ::write(fd, buffer, count);
#endif
}

// A pipe: ends[0] reads what ends[1] writes. 0, or -1 with errno set.
inline int make_pipe(int (&ends)[2]) {
#ifdef _WIN32
    return _pipe(ends, 4096, _O_BINARY);
#else
    return pipe(ends);
#endif
}

// Up to `count` bytes of the file at `offset`, as pread() reads them; on
// Windows, which lacks it, after a seek (so not from two threads at once).
inline ssize_t read_at(int fd, void *buffer, std::size_t count, off_t offset) {
#ifdef _WIN32
    if (lseek(fd, offset, SEEK_SET) != offset) return -1;
    return read_from(fd, buffer, count);
#else
    return pread(fd, buffer, count, offset);
#endif
}

}  // namespace tavlo::posix
