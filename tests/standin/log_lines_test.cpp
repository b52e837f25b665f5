// The library's log lines on standard error: their text into a file or a
// pipe, and a line end first where standard output is the same terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "errors.h"
#include "tavlo.h"
#include "unique_fd.h"

namespace {

using tavlo::posix::UniqueFd;

// The two ends of a terminal, its output passed on as it was written.
struct Terminal {
    UniqueFd master;
    UniqueFd slave;
};

Terminal open_terminal() {
    Terminal terminal;
    terminal.master.reset(posix_openpt(O_RDWR | O_NOCTTY));
    if (!terminal.master || grantpt(terminal.master.get()) != 0 ||
        unlockpt(terminal.master.get()) != 0) {
        return terminal;
    }
    terminal.slave.reset(open(ptsname(terminal.master.get()), O_RDWR | O_NOCTTY));
    termios modes{};
    if (terminal.slave && tcgetattr(terminal.slave.get(), &modes) == 0) {
        cfmakeraw(&modes);
        tcsetattr(terminal.slave.get(), TCSANOW, &modes);
    }
    return terminal;
}

// What can be read from `fd` without waiting.
std::string pending(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    std::string text;
    char buffer[256];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    fcntl(fd, F_SETFL, flags);
    return text;
}

// Logs a block of two entries with standard output and standard error on
// `out` and `err`, and returns what reached `log_reader`.
std::string log_two_entries(int out, int err, int log_reader) {
    StatusBlock block;
    TAVLO_CLIENT_INITBLK(&block);
    TAVLO_CLIENT_LDBLK(tavlo::standin::kFacility, tavlo::standin::kConnectFailed, &block);
    block.facility[1] = 7;
    block.error[1] = 701;
    std::fflush(stdout);
    const UniqueFd saved_out(dup(STDOUT_FILENO));
    const UniqueFd saved_err(dup(STDERR_FILENO));
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    TAVLO_CLIENT_LOGBLK("APP", &block, nullptr);
    dup2(saved_out.get(), STDOUT_FILENO);
    dup2(saved_err.get(), STDERR_FILENO);
    return pending(log_reader);
}

TEST(LogLines, StartWithALineEndOnlyWhereStandardOutputIsTheSameTerminal) {
    const std::string lines =
        "TAVLO APP: facility=20 error=20008 (cannot connect to the device)\n"
        "TAVLO APP: facility=7 error=701\n";
    const Terminal shared = open_terminal();
    const Terminal other = open_terminal();
    ASSERT_TRUE(shared.slave && other.slave) << "no terminal to be had";
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    const UniqueFd pipe_reader(pipe_ends[0]);
    const UniqueFd pipe_writer(pipe_ends[1]);
    const struct {
        const char *streams;
        int out;
        int err;
        int log_reader;
        std::string logged;
    } cases[] = {
        {"one terminal", shared.slave.get(), shared.slave.get(), shared.master.get(), "\n" + lines},
        {"two terminals", other.slave.get(), shared.slave.get(), shared.master.get(), lines},
        {"out into a pipe", pipe_writer.get(), shared.slave.get(), shared.master.get(), lines},
        {"err into a pipe", shared.slave.get(), pipe_writer.get(), pipe_reader.get(), lines},
    };
    for (const auto &c : cases) {
        pending(c.log_reader);
        EXPECT_EQ(log_two_entries(c.out, c.err, c.log_reader), c.logged) << c.streams;
    }
}

}  // namespace
