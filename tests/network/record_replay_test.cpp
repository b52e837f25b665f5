// A device recorded by the receiver and replayed by the simulator: the
// receiver prints the same report again, byte for byte, and a recording of
// the replay is the recording again; at the recorded pace, scaled.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "devsim_runner.h"
#include "receiver_runner.h"
#include "temporary_files.h"

namespace {

using tavlo::testing::Devsim;
using tavlo::testing::read_file;
using tavlo::testing::receiver_spec;
using tavlo::testing::run_process;
using tavlo::testing::TemporaryDirectory;

struct Recorded {
    std::string out;
    std::string recording;
};

// The receiver on `address` in `format` with --record `path` until
// `count` messages are shown.
Recorded record(const std::string &address, int count, const std::string &path,
                const std::string &format) {
    const auto result = run_process(receiver_spec(
        {"--format", format, "--record", path, "--count", std::to_string(count), address}));
    EXPECT_EQ(result.exit_status, 0) << result.err;
    return {result.out, read_file(path)};
}

// A script or JSON lines, less the times they were received.
std::string without_receive_times(const std::string &text) {
    static const std::regex times(" at=[0-9.]+|\"received\":\"[^\"]*\",");
    return std::regex_replace(text, times, "");
}

// Records `count` messages of the simulator started with `args` shown in
// `format`, then replays the recording as fast as the receiver reads and
// records that: the same output (JSON less its receive times), the same
// recording. Returns the first.
Recorded expect_round_trip(const std::vector<std::string> &args, int count,
                           const std::string &format = "text") {
    SCOPED_TRACE(format);
    const TemporaryDirectory folder;
    Devsim device(args);
    const Recorded original = record(device.address(), count, folder.file("first.script"), format);
    device.stop();
    Devsim replay({"--script", folder.file("first.script"), "--pace", "recorded", "--speed", "0"});
    const Recorded again = record(replay.address(), count, folder.file("second.script"), format);
    replay.stop();
    if (format == "json") {
        EXPECT_EQ(without_receive_times(again.out), without_receive_times(original.out));
        EXPECT_NE(again.out, original.out) << "the receive times are there to take out";
    } else {
        EXPECT_EQ(again.out, original.out);
    }
    EXPECT_EQ(without_receive_times(again.recording), without_receive_times(original.recording));
    return original;
}

TEST(RecordReplay, ThePlantRecordedAndReplayedPrintsTheSameReport) {
    const Recorded plant = expect_round_trip({"--interval", "0", "--start", "1700000000"}, 500);
    EXPECT_NE(plant.recording.find("\nmessage 12 SIMPLANT"), std::string::npos)
        << "messages of every kind are recorded";
    EXPECT_EQ(tavlo::testing::printed_numbers(plant.out).back(), 544) << "500 reports";
    const Recorded json =
        expect_round_trip({"--interval", "0", "--start", "1700000000"}, 500, "json");
    EXPECT_NE(json.out.find("\"sequence\":500,"), std::string::npos);
}

TEST(RecordReplay, AScriptOfEveryOddityComesBackTheSameTwice) {
    const TemporaryDirectory folder;
    const std::string script = folder.write(
        "every.script",
        "escapes\n"
        "# every data type in compact entries, a name with quotes and blanks\n"
        "message GET \"PLANT 9\" 2 7\n"
        "tag \"TANK \\\"A\\\" 1\" REAL EU 12.5 -1 0 0 3600\n"
        "tag COUNT SHORT SHORT -2 -3 4 5 3600.250\n"
        "tag TOTAL LONG ORDINAL -100000 -1 0 0 7200\n"
        "tag RATE DOUBLE DOUBLE 0.1 -1 0 0 0\n"
        "tag STAMP TIME DTIME 86400.500 -1 0 0 60\n"
        "tag NOTE ASCII:8 DESC \"ab\\x00cd\" -6 1 2 0\n"
        "tag FULL ASCII DESC \"full text\" -1 0 0 0\n"
        "# short names in 256-byte entries; values and times without a text\n"
        "message UNSOLICITED PLANT9 -1 -2147483648 seq=77 names=256\n"
        "tag A REAL 99 nan -1 0 0 -5\n"
        "tag B 1:4 REAL 0100c07f -2147483648 2147483647 0 60 stamp-ms=1500\n"
        "tag C 99:3 0 0a0b0c 1 2 3 0 stamp-ms=-1\n"
        "tag D DOUBLE 8 -0 0 0 0 0 elements=4\n"
        "tag E 7:20 0 \"\" 0 0 0 0\n"
        "tag F 3:0 ASCII \"\" 0 0 0 0\n"
        "tag G TIME TIME 7 0 0 0 0\n"
        "tag H 6:8 TIME ffffffff07000000 0 0 0 0\n"
        "# kinds the receiver does not print\n"
        "message 12 PLANT9 1 1\n"
        "tag IGNORED LONG LONG 1 -1 0 0 0\n"
        "message -5 \"\" 0 0\n"
        "# a long name: 256-byte entries of their own\n"
        "message PUT PLANT9 2 7\n"
        "tag PLANT.AREA2.COOLING_TOWER.FAN_SPEED_SETPOINT_NUMBER_2 REAL EU 42.5 -1 0 0 3600\n"
        "tag \"x\\x01y\" SHORT SHORT 1 -1 0 0 3600\n"
        "message DECLARE PLANT9 2 8\n"
        "tag RATE DOUBLE DOUBLE 0 -7 0 0 0\n"
        "message CANCEL PLANT9 2 8\n"
        "tag RATE DOUBLE DOUBLE 0 -7 0 0 0\n");
    const Recorded first = expect_round_trip({"--script", script, "--interval", "0"}, 5);
    expect_round_trip({"--script", script, "--interval", "0"}, 7, "json");
    // What the first report shows of the oddities.
    EXPECT_NE(first.out.find("\nTagname [1]: A" + std::string(254, ' ') + "\nType: REAL "),
              std::string::npos);
    EXPECT_NE(first.out.find("\nValue= ab      \n"), std::string::npos);
    EXPECT_NE(first.out.find("\nInvalid timestamp"), std::string::npos);
    EXPECT_NE(first.recording.find("\nmessage -5 \"\" 0 0 seq=4 at="), std::string::npos);
}

// Twenty-one messages recorded 500 ms apart come at a tenth of that: in
// order, never earlier than their distance (but for the lateness of the
// first), and in a time that a loaded machine keeps to.
TEST(RecordReplay, TheRecordedPaceIsKeptAtTenTimesTheSpeed) {
    const TemporaryDirectory folder;
    std::string script;
    for (int n = 0; n <= 20; ++n) {
        script += "message GET P 1 2 seq=" + std::to_string(n) +
                  " at=" + std::to_string(1000 + n / 2) + (n % 2 ? ".500" : "") +
                  "\ntag N LONG LONG 5 -1 0 0 0\n";
    }
    Devsim replay(
        {"--script", folder.write("paced.script", script), "--pace", "recorded", "--speed", "10"});
    const Recorded recorded = record(replay.address(), 21, folder.file("again.script"), "text");
    replay.stop();
    static const std::regex line("message GET P 1 2 seq=(\\d+) at=(\\d+)\\.?(\\d*)\n");
    std::vector<long> offsets_ms;
    int sequence = 0;
    for (auto it = std::sregex_iterator(recorded.recording.begin(), recorded.recording.end(), line);
         it != std::sregex_iterator(); ++it, ++sequence) {
        EXPECT_EQ(std::stoi((*it)[1]), sequence) << "in order";
        const std::string ms = (*it)[3].str() + "000";
        const long at = std::stol((*it)[2]) * 1000 + std::stol(ms.substr(0, 3));
        if (offsets_ms.empty()) offsets_ms.push_back(at);
        offsets_ms.push_back(at - offsets_ms[0]);
    }
    ASSERT_EQ(sequence, 21);
    offsets_ms.erase(offsets_ms.begin());
    for (std::size_t n = 1; n < offsets_ms.size(); ++n) {
        EXPECT_GE(offsets_ms[n], offsets_ms[n - 1]) << n;
        EXPECT_GE(offsets_ms[n], static_cast<long>(n) * 50 - 250) << n;
    }
    EXPECT_LE(offsets_ms.back(), 1000 + 10000);
}

// The sequence numbers of the messages a receiver showed in JSON.
std::vector<int> json_sequences(const std::string &out) {
    static const std::regex sequence("\"sequence\":(-?\\d+),");
    std::vector<int> numbers;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), sequence);
         it != std::sregex_iterator(); ++it) {
        numbers.push_back(std::stoi((*it)[1]));
    }
    return numbers;
}

// A recording cut short anywhere in its last message, appended to and
// replayed: every whole message comes back, the cut one does not, and the
// replay reaches the end of the script.
TEST(RecordReplay, AnAppendAfterACutKeepsEveryWholeMessageForTheReplay) {
    const TemporaryDirectory folder;
    const std::string whole = folder.file("whole.script");
    record("sim:0:1700000000", 3, whole, "json");
    const std::string recording = read_file(whole);
    std::size_t third = 0;  // the start of the third message line
    for (int n = 0; n < 3; ++n) third = recording.find("\nmessage ", third) + 1;
    const std::size_t third_tags = recording.find("\ntag ", third) + 1;
    struct Case {
        std::size_t size;  // the recording cut to
        int whole_messages;
    };
    const Case cases[] = {
        {3, 0},                     // in the escapes line
        {20, 0},                    // in the first message line
        {third + 4, 2},             // in "message" of the third
        {third + 30, 2},            // in its message line
        {third_tags - 1, 2},        // its message line without its end
        {third_tags + 10, 2},       // in its first tag line
        {recording.size() - 1, 2},  // its last tag line without its end
        {recording.size(), 3},      // nothing cut
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        const std::string path = folder.write("cut.script", recording.substr(0, c.size));
        const auto appended =
            run_process(receiver_spec({"--append", "--record", path, "--format", "json", "--count",
                                       "2", "sim:0:1700000000"}));
        EXPECT_EQ(appended.exit_status, 0) << appended.err;
        if (c.size < recording.size()) {
            const std::size_t kept = c.whole_messages == 0 ? 0 : third;
            const std::string line = "tavlo_t_receiver: the recording " + path +
                                     " ended in a cut message; removed its " +
                                     std::to_string(c.size - kept) + " bytes\n";
            EXPECT_EQ(appended.err.substr(0, line.size()), line);
        }
        Devsim replay({"--script", path, "--interval", "0"});
        const auto shown = run_process(
            receiver_spec({"--format", "json", "--count", std::to_string(c.whole_messages + 2),
                           "--timeout", "20", replay.address()}));
        EXPECT_EQ(shown.exit_status, 0) << shown.err;
        std::vector<int> expected;
        for (int n = 1; n <= c.whole_messages; ++n) expected.push_back(n);
        expected.insert(expected.end(), {1, 2});
        EXPECT_EQ(json_sequences(shown.out), expected);
        const auto ended = replay.stop();
        EXPECT_EQ(ended.exit_status, 0) << ended.out;
        EXPECT_NE(ended.out.find("all messages of the script sent\n"), std::string::npos)
            << ended.out;
    }
}

// A line in error met after the start ends the replay there: the simulator
// stays up for its clients, and says at its end that the script was not
// all sent.
TEST(RecordReplay, AScriptThatEndsInErrorMidReplayEndsTheSimulatorWithStatus3) {
    const TemporaryDirectory folder;
    const std::string script =
        folder.write("broken.script",
                     "message GET P 1 2\ntag A LONG LONG 1 -1 0 0 0\nmessage GET P 1 2\ntag A\n");
    Devsim replay({"--script", script, "--interval", "0"});
    const auto shown =
        run_process(receiver_spec({"--count", "1", "--timeout", "20", replay.address()}));
    EXPECT_EQ(shown.exit_status, 0) << shown.err;
    ASSERT_TRUE(replay.child().wait_for_output(": the script ends here\n"));
    const auto ended = replay.stop();
    EXPECT_EQ(ended.exit_status, 3) << ended.out;
}

}  // namespace
