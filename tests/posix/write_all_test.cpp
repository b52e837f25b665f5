// write_all into a pipe: a slow reader and signals that do not stop lose no
// byte; a deadline gives up on a reader who takes nothing, also one that
// comes while a descriptor that never waits waits for room, and the count
// says what went out.
#include "write_all.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "unique_fd.h"

namespace {

using tavlo::posix::UniqueFd;
using tavlo::posix::WriteDeadline;

struct Pipe {
    Pipe() {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) ADD_FAILURE() << "pipe failed";
        read_end.reset(ends[0]);
        write_end.reset(ends[1]);
    }
    UniqueFd read_end;
    UniqueFd write_end;
};

// Bytes that show where each piece of them came from.
std::string numbered_bytes(std::size_t size) {
    std::string bytes;
    for (int n = 0; bytes.size() < size; ++n) bytes += std::to_string(n) + ",";
    bytes.resize(size);
    return bytes;
}

std::atomic<int> g_signals{0};

// What is left to read of a pipe whose write end is closed.
std::string drained(int fd) {
    std::string received;
    char piece[65536];
    for (ssize_t n; (n = read(fd, piece, sizeof piece)) > 0;) {
        received.append(piece, static_cast<std::size_t>(n));
    }
    return received;
}

extern "C" void count_signal(int) {
    ++g_signals;
}

TEST(WriteAll, SignalsThatDoNotStopLoseNoByteToASlowReader) {
    // A handler that asks for nothing, installed as the receiver installs
    // its own: without SA_RESTART, so every write it hits is cut short.
    struct sigaction action {};
    action.sa_handler = count_signal;
    sigemptyset(&action.sa_mask);
    struct sigaction previous {};
    sigaction(SIGUSR1, &action, &previous);
    Pipe pipe;
    const std::string sent = numbered_bytes(2 << 20);
    std::string received;
    std::thread reader([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the pipe fills
        char piece[4096];
        for (ssize_t n; (n = read(pipe.read_end.get(), piece, sizeof piece)) != 0;) {
            if (n > 0) received.append(piece, static_cast<std::size_t>(n));
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    });
    std::atomic<bool> written{false};
    const pthread_t writer = pthread_self();
    std::thread signaller([&] {
        while (!written) {
            pthread_kill(writer, SIGUSR1);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    g_signals = 0;
    const int error = tavlo::posix::write_all(pipe.write_end.get(), sent.data(), sent.size(),
                                              [] { return WriteDeadline(); });
    written = true;
    signaller.join();
    pipe.write_end.reset();
    reader.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(error, 0);
    EXPECT_GT(g_signals.load(), 0);
    EXPECT_TRUE(received == sent) << received.size() << " of " << sent.size() << " bytes";
}

TEST(WriteAll, ADeadlineGivesUpOnAReaderWhoTakesNothingAfterAWholePrefix) {
    Pipe pipe;
    const std::string sent = numbered_bytes(1 << 20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(50);
    EXPECT_EQ(tavlo::posix::write_all(pipe.write_end.get(), sent.data(), sent.size(),
                                      [deadline] { return WriteDeadline(deadline); }),
              ETIMEDOUT);
    pipe.write_end.reset();
    const std::string received = drained(pipe.read_end.get());
    EXPECT_GT(received.size(), 0u);
    EXPECT_LT(received.size(), sent.size());
    EXPECT_EQ(received, sent.substr(0, received.size()));
}

TEST(WriteAll, ANonBlockingPipeCountsWhatWentOutWhenADeadlineEndsTheWait) {
    struct Case {
        const char *what;
        int asks_without_deadline;  // before the deadline comes
    };
    const Case cases[] = {{"a deadline from the start", 0}, {"a deadline that comes later", 3}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Pipe pipe;
        ASSERT_EQ(fcntl(pipe.write_end.get(), F_SETFL, O_NONBLOCK), 0);
        const std::string sent = numbered_bytes(1 << 20);
        int asks = 0;
        const auto deadline = [&]() -> WriteDeadline {
            if (++asks <= c.asks_without_deadline) return std::nullopt;
            return std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
        };
        std::size_t written = 0;
        EXPECT_EQ(tavlo::posix::write_all(pipe.write_end.get(), sent.data(), sent.size(), deadline,
                                          written),
                  ETIMEDOUT);
        pipe.write_end.reset();
        const std::string received = drained(pipe.read_end.get());
        EXPECT_GT(asks, c.asks_without_deadline);
        EXPECT_GT(written, 0u);
        EXPECT_EQ(written, received.size());
        EXPECT_EQ(received, sent.substr(0, received.size()));
    }
}

}  // namespace
