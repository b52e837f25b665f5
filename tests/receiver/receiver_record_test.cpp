// The receiver's --record: a recording that cannot be written is a failure
// with its own status, never a partial success; each message is in the file
// a moment after it came, and every message reported is in it after a stop.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <vector>

#include "receiver_runner.h"
#include "temporary_files.h"
#include "unique_fd.h"

namespace {

using tavlo::testing::read_file;
using tavlo::testing::receiver_spec;
using tavlo::testing::run_process;
using tavlo::testing::TemporaryDirectory;

std::size_t count_of(const std::string &text, const std::string &what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

const std::string kDevice = "sim:0:1700000000";
const std::string kClosing = "\nClosing Tavlo Connections.\n\n";
// The first message of a recording, after the first line of a new one.
const std::string kFirstMessage = "escapes\nmessage DECLARE SIMPLANT 1 101 seq=1 tags=7 at=";
const std::string kFirstLines = "# recorded by tavlo_t_receiver\n" + kFirstMessage;

TEST(ReceiverRecording, AFileThatCannotBeWrittenStopsTheReceiverWithStatus5) {
    const TemporaryDirectory folder;
    const std::string taken = folder.write("taken", "keep me");
    struct Case {
        std::vector<std::string> args;
        std::string err;
        bool opened;  // the receiver ran, and closed as usual
    };
    const std::string exists = "the file exists (--append adds to it, --force replaces it)";
    const Case cases[] = {
        {{"--record", "/dev/full"},
         "tavlo_t_receiver: cannot write the recording /dev/full: No space left on device\n",
         true},
        {{"--record", taken},
         "tavlo_t_receiver: cannot record to " + taken + ": " + exists + "\n",
         false},
        {{"--record", folder.file("none/x")},
         "tavlo_t_receiver: cannot record to " + folder.file("none/x") +
             ": No such file or directory\n",
         false},
        {{"--record", folder.path(), "--force"},
         "tavlo_t_receiver: cannot record to " + folder.path() + ": Is a directory\n",
         false},
    };
    // A failed write ends the run long before its count: the receiver runs
    // ahead of its writer by a bounded queue at most.
    for (const Case &c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--count", "5000", kDevice});
        const auto result = run_process(receiver_spec(args));
        EXPECT_EQ(result.exit_status, 5) << c.err;
        EXPECT_EQ(result.err, c.err);
        if (c.opened) {
            EXPECT_LT(count_of(result.out, " received for:"), 5000u);
            EXPECT_EQ(result.out.substr(result.out.size() - kClosing.size()), kClosing);
        } else {
            EXPECT_EQ(result.out, "");
        }
    }
    EXPECT_EQ(read_file(taken), "keep me");
}

TEST(ReceiverRecording, AppendTakesOffACutMessageAndForceReplaces) {
    const TemporaryDirectory folder;
    const std::string cut = folder.write("cut", "escapes\nmessage GET P 1 2\ntag A LONG LO");
    const std::string old = folder.write("old", "# old\n");
    const auto appended =
        run_process(receiver_spec({"--append", "--record", cut, "--count", "1", kDevice}));
    ASSERT_EQ(appended.exit_status, 0) << appended.err;
    EXPECT_EQ(appended.err, "tavlo_t_receiver: the recording " + cut +
                                " ended in a cut message; removed its 39 bytes\n");
    const auto replaced =
        run_process(receiver_spec({"--record=" + old, "--force", "--count", "1", kDevice}));
    ASSERT_EQ(replaced.exit_status, 0) << replaced.err;
    const auto created =
        run_process(receiver_spec({"--record", folder.file("new"), "--count", "1", kDevice}));
    ASSERT_EQ(created.exit_status, 0) << created.err;
    EXPECT_EQ(read_file(cut).rfind(kFirstLines, 0), 0u);
    EXPECT_EQ(read_file(old).rfind(kFirstLines, 0), 0u);
    EXPECT_EQ(read_file(folder.file("new")).rfind(kFirstLines, 0), 0u);
    for (const std::string &path : {cut, old, folder.file("new")}) {
        EXPECT_EQ(read_file(path).back(), '\n');
    }
}

// --append adds to a recording (its first line says so, or is the escapes
// line of a recording made before that line was written) and to nothing
// else: not a text report, not a script written by hand. The file stays as
// it was.
TEST(ReceiverRecording, AppendRefusesAFileThatIsNoRecording) {
    struct Case {
        std::string content;
        bool taken;
    };
    const Case cases[] = {
        {"", true},
        {"# recorded by tavlo_t_receiver\nescapes\n", true},
        {"escapes\nmessage GET P 1 2\n", true},
        {"\n+++++++++++++++++++++++++++\n\nDeclare reply received for:\n", false},
        {"\n", false},
        {"  # notes\n", false},
        {"message GET P 1 2\ntag A LONG LONG 1 -1 0 0 0\n", false},
        {"Tagname [1]: A\n", false},
        {"messages GET P 1 2\n", false},
        {"escapes2\n", false},
        {std::string("\x7f"
                     "ELF\x02\x01\x01\0\0\0",
                     10),
         false},
        {std::string("message\0GET", 11), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.content));
        const TemporaryDirectory folder;
        const std::string path = folder.write("file", c.content);
        const auto result =
            run_process(receiver_spec({"--append", "--record", path, "--count", "1", kDevice}));
        if (c.taken) {
            EXPECT_EQ(result.exit_status, 0) << result.err;
            EXPECT_EQ(read_file(path).rfind(c.content, 0), 0u);
            EXPECT_NE(read_file(path).find(kFirstMessage), std::string::npos);
        } else {
            EXPECT_EQ(result.exit_status, 5);
            EXPECT_EQ(result.err,
                      "tavlo_t_receiver: cannot record to " + path + ": it is not a recording\n");
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(read_file(path), c.content);
        }
    }
}

// A pipe that nobody reads would hold the receiver before its stops are
// armed: it is refused at once, and one that is read is written.
TEST(ReceiverRecording, APipeWithoutAReaderIsRefusedAndOneWithAReaderIsWritten) {
    const TemporaryDirectory folder;
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto alone =
        run_process(receiver_spec({"--record", fifo, "--timeout", "1", kDevice}), 20);
    EXPECT_FALSE(alone.timed_out);
    EXPECT_EQ(alone.exit_status, 5);
    EXPECT_EQ(alone.err,
              "tavlo_t_receiver: cannot record to " + fifo + ": no program reads the pipe\n");
    tavlo::testing::ChildProcess reader({{"/bin/cat", fifo}, {}, {}, ""});
    // Until cat has the pipe open the receiver is refused as above; tries
    // again a few times.
    tavlo::testing::ProcessResult read;
    for (int attempt = 0; attempt < 100; ++attempt) {
        read = run_process(receiver_spec({"--record", fifo, "--count", "2", kDevice}), 20);
        if (read.exit_status != 5) break;
        usleep(20000);
    }
    EXPECT_EQ(read.exit_status, 0) << read.err;
    const auto cat = reader.finish(20);
    EXPECT_EQ(cat.out.rfind(kFirstLines, 0), 0u) << cat.out;
}

TEST(ReceiverRecording, AppendAndForceNeedARecordAndNotEachOther) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--append", kDevice}, "tavlo_t_receiver: --append: needs --record\n"},
        {{"--force", kDevice}, "tavlo_t_receiver: --force: needs --record\n"},
        {{"--record", "x", "--append", "--force", kDevice},
         "tavlo_t_receiver: --force: contradicts --append\n"},
        {{"--record", "-", kDevice},
         "tavlo_t_receiver: --record: - is no file name here: standard output has the report "
         "(./- is a file named -)\n"},
    };
    for (const auto &[args, err] : cases) {
        const auto result = run_process(receiver_spec(args));
        EXPECT_EQ(result.exit_status, 2);
        EXPECT_EQ(result.err, err);
    }
}

// tail -f shows each message as it comes: the file holds a message, whole,
// a moment after its report is printed (the next comes a second later; a
// recording kept in a buffer would still be empty).
TEST(ReceiverRecording, EachMessageIsInTheFileAMomentAfterItCame) {
    const TemporaryDirectory folder;
    const std::string path = folder.file("live");
    tavlo::testing::ChildProcess receiver(
        receiver_spec({"--record", path, "--count", "2", "sim:1000:1700000000"}));
    ASSERT_TRUE(receiver.wait_for_output("Declare reply received for:"));
    std::string first;
    for (int wait = 0; wait < 50 && count_of(first, "\n") < 10; ++wait) {
        usleep(10000);
        first = read_file(path);
    }
    EXPECT_EQ(first.rfind(kFirstLines, 0), 0u);
    EXPECT_GE(count_of(first, "\n"), 10u) << first;
    EXPECT_EQ(receiver.finish().exit_status, 0);
}

// Stopped at full speed, with its writer busy, the receiver writes every
// message it received before it exits (nothing shown: its output never
// waits).
TEST(ReceiverRecording, AStopWritesEveryMessageReceived) {
    const TemporaryDirectory folder;
    const std::string path = folder.file("fast");
    tavlo::testing::ChildProcess receiver(
        receiver_spec({"--record", path, "--stats", "--list", "999", kDevice}));
    // By its size: a read of the whole file could chase its end for ever
    // on a busy machine, where the receiver writes faster than a test reads.
    struct stat status {};
    for (int wait = 0;
         wait < 3000 && (stat(path.c_str(), &status) != 0 || status.st_size < 1 << 20); ++wait) {
        usleep(10000);
    }
    kill(receiver.pid(), SIGTERM);
    const auto result = receiver.finish();
    EXPECT_EQ(result.exit_status, 0) << result.err;
    const std::string recording = read_file(path);
    const std::size_t recorded = count_of(recording, "\nmessage ");
    EXPECT_GE(recorded, 1000u);
    EXPECT_NE(result.err.find("Messages received: " + std::to_string(recorded) + " "),
              std::string::npos)
        << recorded << " recorded\n"
        << result.err;
    EXPECT_EQ(recording.back(), '\n');
}

// A pipe whose reader takes nothing holds the recording's writer, not a
// stop: the writer gives up a second after it, with its line and status.
TEST(ReceiverRecording, APipeThatIsNeverReadDoesNotHoldAStop) {
    const TemporaryDirectory folder;
    const std::string fifo = folder.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const tavlo::posix::UniqueFd idle_reader(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
    ASSERT_TRUE(idle_reader);
    // Nothing shown, so that only the recording waits.
    tavlo::testing::ChildProcess receiver(
        receiver_spec({"--record", fifo, "--list", "999", kDevice}));
    int in_pipe = 0;
    for (int wait = 0; wait < 1000 && in_pipe < 32768; ++wait) {
        usleep(10000);
        ASSERT_EQ(ioctl(idle_reader.get(), FIONREAD, &in_pipe), 0);
    }
    ASSERT_GE(in_pipe, 32768);
    usleep(200000);  // the pipe fills, then the writer's queue
    kill(receiver.pid(), SIGTERM);
    const auto result = receiver.finish(30);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_status, 5);
    EXPECT_EQ(result.err, "tavlo_t_receiver: cannot write the recording " + fifo +
                              ": its reader took nothing for a second after the stop\n");
}

}  // namespace
