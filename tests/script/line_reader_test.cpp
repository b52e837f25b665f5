// The line reader over a file in blocks: the same lines, numbers and limits,
// wherever the blocks cut the lines.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "script_reader.h"
#include "temporary_files.h"
#include "unique_fd.h"

namespace {

using tavlo::script::LineReader;
using Status = LineReader::Status;

// What the reader gives, as text: "L1:abc" a line, "T2" too long, "E" the end.
std::vector<std::string> lines_of(LineReader &reader) {
    std::vector<std::string> seen;
    for (;;) {
        std::string_view line;
        const Status status = reader.next(line);
        const std::string number = std::to_string(reader.number());
        if (status == Status::kLine) {
            seen.push_back("L" + number + ":" + std::string(line));
            continue;
        }
        seen.push_back(status == Status::kEnd ? "E" : "T" + number);
        // It stops for good: the next call says the same.
        EXPECT_EQ(reader.next(line), status);
        return seen;
    }
}

TEST(LineReader, BlocksGiveTheLinesWhereverTheyCutThem) {
    constexpr std::size_t kLongest = 8;
    struct Case {
        std::string text;
        std::vector<std::string> lines;
    };
    const std::string nul(1, '\0');
    const Case cases[] = {
        {"", {"E"}},
        {"abc", {"L1:abc", "E"}},
        {"abc\n", {"L1:abc", "E"}},
        {"a\n\nb\n", {"L1:a", "L2:", "L3:b", "E"}},
        {"\n\n", {"L1:", "L2:", "E"}},
        {"ab\r\ncd\r", {"L1:ab\r", "L2:cd\r", "E"}},
        {"a" + nul + "b\n" + nul, {"L1:a" + nul + "b", "L2:" + nul, "E"}},
        {"12345678\n", {"L1:12345678", "E"}},
        {"12345678", {"L1:12345678", "E"}},
        {"123456789\nx\n", {"T1"}},
        {"123456789", {"T1"}},
        {"x\n12345678\n123456789", {"L1:x", "L2:12345678", "T3"}},
        {"1234\n5678\n12345678\n1\n", {"L1:1234", "L2:5678", "L3:12345678", "L4:1", "E"}},
    };
    for (const std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                                    tavlo::script::kLineReaderBlock}) {
        for (const Case &c : cases) {
            const tavlo::posix::UniqueFd file = tavlo::testing::unlinked_file(c.text);
            LineReader blocks(file.get(), kLongest, block);
            EXPECT_EQ(lines_of(blocks), c.lines) << "block " << block << ": " << c.text;
        }
    }
}

// Many blocks of lines of every length up to the limit, and one over it.
TEST(LineReader, LinesAcrossManyBlocksComeWhole) {
    std::string text;
    std::vector<std::string> lines;
    for (std::size_t n = 0; n < 3000; ++n) {
        const std::string line(n % 200, static_cast<char>('a' + n % 26));
        text += line + "\n";
        lines.push_back("L" + std::to_string(n + 1) + ":" + line);
    }
    text += std::string(200, 'z') + "\n";
    lines.push_back("T3001");
    const tavlo::posix::UniqueFd file = tavlo::testing::unlinked_file(text);
    LineReader blocks(file.get(), 199, 4096);
    EXPECT_EQ(lines_of(blocks), lines);
}

// A pipe's line comes as soon as it is written, not when a block is full.
TEST(LineReader, APipesLineComesBeforeTheBlockFills) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    tavlo::posix::UniqueFd read_end(ends[0]);
    tavlo::posix::UniqueFd write_end(ends[1]);
    LineReader reader(read_end.get());
    const std::string first = "first\nsec";
    ASSERT_EQ(write(write_end.get(), first.data(), first.size()),
              static_cast<ssize_t>(first.size()));
    std::string_view line;
    ASSERT_EQ(reader.next(line), Status::kLine);
    EXPECT_EQ(line, "first");
    write_end.reset();
    ASSERT_EQ(reader.next(line), Status::kLine);
    EXPECT_EQ(line, "sec");
    EXPECT_EQ(reader.next(line), Status::kEnd);
}

// A read that fails is no end of the script: the message it cut is not
// given as whole, and the reason names the line that was not read.
TEST(LineReader, AReadThatFailsIsAnErrorNotTheEnd) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    tavlo::posix::UniqueFd read_end(ends[0]);
    tavlo::posix::UniqueFd write_end(ends[1]);
    const timeval wait{0, 50000};  // then read(2) fails with EAGAIN
    ASSERT_EQ(setsockopt(read_end.get(), SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait), 0);
    const std::string text = "message GET P 1 2\ntag A LONG LONG 1 -1 0 0 0\ntag B LONG LO";
    ASSERT_EQ(write(write_end.get(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
    tavlo::script::ScriptReader reader(read_end.get());
    tavlo::script::ScriptMessage message;
    tavlo::script::ScriptError error;
    ASSERT_EQ(reader.next(message, error), tavlo::script::ScriptReader::Status::kError);
    EXPECT_EQ(error.line, 3);
    EXPECT_EQ(error.reason, std::string("cannot read the script: ") + std::strerror(EAGAIN));
    EXPECT_EQ(reader.next(message, error), tavlo::script::ScriptReader::Status::kError);
}

}  // namespace
