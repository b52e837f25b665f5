// The receiver's --record: a recording that cannot be written is a failure
// with its own status, never a partial success; each message is in the file
// when its report is printed.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "receiver_runner.h"
#include "temporary_files.h"

namespace {

using tavlo::testing::read_file;
using tavlo::testing::receiver_spec;
using tavlo::testing::run_process;
using tavlo::testing::TemporaryDirectory;

const std::string kDevice = "sim:0:1700000000";
const std::string kClosing = "\nClosing Tavlo Connections.\n\n";
const std::string kFirstLine = "escapes\nmessage DECLARE SIMPLANT 1 101 seq=1 at=";

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
    for (const Case &c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--count", "3", kDevice});
        const auto result = run_process(receiver_spec(args));
        EXPECT_EQ(result.exit_status, 5) << c.err;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.out, c.opened ? kClosing : "") << "no report of an unrecorded message";
    }
    EXPECT_EQ(read_file(taken), "keep me");
}

TEST(ReceiverRecording, AppendAddsOnALineOfItsOwnAndForceReplaces) {
    const TemporaryDirectory folder;
    const std::string cut = folder.write("cut", "message GET P 1 2\ntag A LONG LO");
    const std::string old = folder.write("old", "# old\n");
    const auto appended =
        run_process(receiver_spec({"--append", "--record", cut, "--count", "1", kDevice}));
    ASSERT_EQ(appended.exit_status, 0) << appended.err;
    const auto replaced =
        run_process(receiver_spec({"--record=" + old, "--force", "--count", "1", kDevice}));
    ASSERT_EQ(replaced.exit_status, 0) << replaced.err;
    const auto created =
        run_process(receiver_spec({"--record", folder.file("new"), "--count", "1", kDevice}));
    ASSERT_EQ(created.exit_status, 0) << created.err;
    EXPECT_EQ(read_file(cut).rfind("message GET P 1 2\ntag A LONG LO\n" + kFirstLine, 0), 0u);
    EXPECT_EQ(read_file(old).rfind(kFirstLine, 0), 0u);
    EXPECT_EQ(read_file(folder.file("new")).rfind(kFirstLine, 0), 0u);
    for (const std::string &path : {cut, old, folder.file("new")}) {
        EXPECT_EQ(read_file(path).back(), '\n');
    }
}

TEST(ReceiverRecording, AppendAndForceNeedARecordAndNotEachOther) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--append", kDevice}, "tavlo_t_receiver: --append: needs --record\n"},
        {{"--force", kDevice}, "tavlo_t_receiver: --force: needs --record\n"},
        {{"--record", "x", "--append", "--force", kDevice},
         "tavlo_t_receiver: --force: contradicts --append\n"},
    };
    for (const auto &[args, err] : cases) {
        const auto result = run_process(receiver_spec(args));
        EXPECT_EQ(result.exit_status, 2);
        EXPECT_EQ(result.err, err);
    }
}

// tail -f shows each message as it comes: the file holds a message, whole,
// by the time its report is printed (the next comes a second later; a
// recording kept in a buffer would still be empty).
TEST(ReceiverRecording, EachMessageIsInTheFileWhenItsReportIsPrinted) {
    const TemporaryDirectory folder;
    const std::string path = folder.file("live");
    tavlo::testing::ChildProcess receiver(
        receiver_spec({"--record", path, "--count", "2", "sim:1000:1700000000"}));
    ASSERT_TRUE(receiver.wait_for_output("Declare reply received for:"));
    const std::string first = read_file(path);
    EXPECT_EQ(first.rfind(kFirstLine, 0), 0u);
    EXPECT_GE(std::count(first.begin(), first.end(), '\n'), 9) << first;
    EXPECT_EQ(receiver.finish().exit_status, 0);
}

}  // namespace
