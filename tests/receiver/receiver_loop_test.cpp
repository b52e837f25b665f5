// The receiver's start-up, loop and shutdown, against the scripted double:
// the exact standard output and the exact sequence of library calls.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstring>
#include <string>

#include "receiver_runner.h"
#include "temporary_files.h"

namespace {

using tavlo::testing::ChildProcess;
using tavlo::testing::run_with_double;

const std::string kClosing = "\nClosing Tavlo Connections.\n\n";
const std::string kStartCalls =
    "INITBLK #1\n"
    "INITBLK #2\n"
    "INIT app=[TAVLOUNSOL] block=#2\n";
const std::string kShutdownCalls =
    "SERVER_INITBLK #3\n"
    "EXIT block=#3\n";

// Two tags in the compact name layout: a REAL and a short ASCII text, with
// statuses and timestamps.
std::string two_tag_message(int kind) {
    return "message " + std::to_string(kind) +
           " PLANT7 3 42\n"
           "tag FLOW REAL REAL 1.5 -1 0 0 3600\n"
           "tag NOTE ASCII:6 DESC ab -3 5 9 7200.250\n";
}

const std::string kFlowName = "\nTagname [1]: FLOW" + std::string(35, ' ');
const std::string kFlowTypes = "\nType: REAL  Device Data Type: REAL";
const std::string kFlowValue = "\nValue= 1.500000\nTimestamp: Thu Jan  1 01:00:00 1970\n";
const std::string kFlowStatus = "\nStatus is GOOD (-1)\nFacility=0\nDriver Status=0\n";
const std::string kNoteName = "\nTagname [2]: NOTE" + std::string(35, ' ');
const std::string kNoteTypes = "\nType: ASCII  Device Data Type: DESCRIPTION";
const std::string kNoteValue = "\nValue= ab    \nTimestamp: Thu Jan  1 02:00:00 1970\n";
const std::string kNoteStatus = "\nStatus is SUSPECT (-3)\nFacility=5\nDriver Status=9\n";

const std::string kWithValues = kFlowName + kFlowTypes + kFlowValue + kFlowStatus + kNoteName +
                                kNoteTypes + kNoteValue + kNoteStatus;
const std::string kTypesOnly =
    kFlowName + kFlowTypes + kFlowStatus + kNoteName + kNoteTypes + kNoteStatus;
const std::string kNamesOnly = kFlowName + kFlowStatus + kNoteName + kNoteStatus;

std::string device_line() {
    return "Device: PLANT7 Unit:   3 ListID: 42\n";
}

TEST(ReceiverLoop, WithoutArgumentsPrintsUsageAndClosesWithoutInit) {
    const auto run = run_with_double({}, "");
    EXPECT_EQ(run.result.out, "\n Usage: tavlo_t_receiver device_name [app_id]\n\n" + kClosing);
    EXPECT_EQ(run.result.exit_status, 2);
    EXPECT_EQ(run.calls, "SERVER_INITBLK #1\nEXIT block=#1\n");
}

TEST(ReceiverLoop, FailedInitListsEntriesUpToTheEndMarker) {
    const auto run = run_with_double({"PLANT7"}, "init fail 1/101 2/102 3/103 0/-1\n");
    EXPECT_EQ(run.result.out,
              "\nTAVLO INIT ERROR.\nError codes\n-----------\n"
              "0) facility=1  Error=101\n"
              "1) facility=2  Error=102\n"
              "2) facility=3  Error=103\n" +
                  kClosing);
    EXPECT_EQ(run.result.exit_status, 1);
    EXPECT_EQ(run.calls, kStartCalls + kShutdownCalls);
}

TEST(ReceiverLoop, FailedInitWithTenEntriesListsAllTen) {
    std::string script = "init fail";
    std::string listing = "\nTAVLO INIT ERROR.\nError codes\n-----------\n";
    for (int i = 0; i < 10; ++i) {
        script += " " + std::to_string(i + 10) + "/" + std::to_string(i + 500);
        listing += std::to_string(i) + ") facility=" + std::to_string(i + 10) +
                   "  Error=" + std::to_string(i + 500) + "\n";
    }
    const auto run = run_with_double({"PLANT7"}, script + "\n");
    EXPECT_EQ(run.result.out, listing + kClosing);
    EXPECT_EQ(run.result.exit_status, 1);
}

TEST(ReceiverLoop, FailedExitIsListedWithoutIndexes) {
    const auto run = run_with_double({}, "exit fail 7/701 8/802 0/-1\n");
    EXPECT_EQ(run.result.out, "\n Usage: tavlo_t_receiver device_name [app_id]\n\n" + kClosing +
                                  "\nTAVLO EXIT ERROR\nError codes\n-----------\n"
                                  "\nfacility=7  Error=701\nfacility=8  Error=802");
    EXPECT_EQ(run.result.exit_status, 2);
}

TEST(ReceiverLoop, InJsonTheReceiversOwnLinesGoToStandardError) {
    const std::string init_listing =
        "\nTAVLO INIT ERROR.\nError codes\n-----------\n0) facility=1  Error=101\n";
    const std::string exit_listing =
        "\nTAVLO EXIT ERROR\nError codes\n-----------\n\nfacility=7  Error=701\n";
    const struct {
        std::vector<std::string> args;
        std::string script;
        std::string err;
    } cases[] = {
        {{"--format=json"}, "", "\n Usage: tavlo_t_receiver device_name [app_id]\n\n" + kClosing},
        {{"--format=json", "PLANT7"}, "init fail 1/101 0/-1\n", init_listing + kClosing},
        {{"--format=json"},
         "exit fail 7/701 0/-1\n",
         "\n Usage: tavlo_t_receiver device_name [app_id]\n\n" + kClosing + exit_listing},
    };
    for (const auto &c : cases) {
        const auto run = run_with_double(c.args, c.script);
        EXPECT_EQ(run.result.out, "");
        EXPECT_EQ(run.result.err, c.err);
    }
}

TEST(ReceiverLoop, FailedConnectIsPrintedLoggedAndTheReadMadeAllTheSame) {
    const auto run = run_with_double({"--count", "1", "PLANT7"},
                                     "connect fail 20/20003\n" + two_tag_message(11));
    EXPECT_EQ(run.result.out,
              "\nError connecting to PLANT7"
              "\n++++++++++++++++++++++++++++++++\n\nUnsolicited Values received for:\n" +
                  device_line() + kWithValues + kClosing);
    EXPECT_EQ(run.result.exit_status, 0);
    EXPECT_EQ(run.calls, kStartCalls +
                             "CONNECT device=[PLANT7] block=#2\n"
                             "LOGBLK app=[TAVLOUNSOL] block=#2 log=#1 error=20003\n"
                             "READ 50 slots=null block=#2\n" +
                             kShutdownCalls);
}

TEST(ReceiverLoop, AReadFailingForWantOfTheFailedConnectIsNotLoggedAgain) {
    // One failure, one log line: the read after a failed connect that fails
    // only as not connected is no news; any other failure of it is.
    const struct {
        std::string script;
        std::string logged;  // the errors logged, in order
    } cases[] = {
        {"connect fail 20/20008\nread fail 20/20004\n", "20008 "},
        {"connect fail 20/20008\nread fail 20/20009\n", "20008 20009 "},
        {"read fail 20/20004\n", "20004 "},
    };
    for (const auto &c : cases) {
        const auto run = run_with_double({"--count", "1", "PLANT7"}, c.script + two_tag_message(1));
        std::string logged;
        for (std::size_t at = run.calls.find("error="); at != std::string::npos;
             at = run.calls.find("error=", at + 1)) {
            logged += run.calls.substr(at + 6, 5) + " ";
        }
        EXPECT_EQ(logged, c.logged) << c.script;
    }
}

TEST(ReceiverLoop, FailedReadIsSilentAndTheNextPassConnectsAgain) {
    const auto run =
        run_with_double({"--count", "1", "PLANT7"}, "read fail 20/20005\n" + two_tag_message(1));
    EXPECT_EQ(run.result.out, "\n+++++++++++++++++++++++\n\nGet reply received for:\n" +
                                  device_line() + kWithValues + kClosing);
    EXPECT_EQ(run.calls, kStartCalls +
                             "CONNECT device=[PLANT7] block=#2\n"
                             "READ 50 slots=null block=#2\n"
                             "CONNECT device=[PLANT7] block=#2\n"
                             "READ 50 slots=null block=#2\n" +
                             kShutdownCalls);
}

struct KindCase {
    int kind;
    std::string header;
    std::string tags;
};

TEST(ReceiverLoop, EachMessageKindPrintsItsHeaderAndTheArraysItCarries) {
    const KindCase cases[] = {
        {1, "\n+++++++++++++++++++++++\n\nGet reply received for:\n", kWithValues},
        {3, "\n+++++++++++++++++++++++\n\nPut reply received for:\n", kWithValues},
        {4, "\n+++++++++++++++++++++++++++\n\nDeclare reply received for:\n", kTypesOnly},
        {5, "\n++++++++++++++++++++++++++\n\nCancel reply received for:\n", kNamesOnly},
        {11, "\n++++++++++++++++++++++++++++++++\n\nUnsolicited Values received for:\n",
         kWithValues},
    };
    for (const KindCase &c : cases) {
        const auto run = run_with_double({"--count", "1", "PLANT7"}, two_tag_message(c.kind));
        EXPECT_EQ(run.result.out, c.header + device_line() + c.tags + kClosing)
            << "kind " << c.kind;
        EXPECT_EQ(run.result.exit_status, 0);
    }
}

TEST(ReceiverLoop, OtherKindsAreIgnoredAndEachPassConnects) {
    const auto run = run_with_double(
        {"--count", "1", "PLANT7"}, two_tag_message(2) + two_tag_message(12) + two_tag_message(11));
    EXPECT_EQ(run.result.out,
              "\n++++++++++++++++++++++++++++++++\n\nUnsolicited Values received for:\n" +
                  device_line() + kWithValues + kClosing);
    EXPECT_EQ(run.calls, kStartCalls +
                             "CONNECT device=[PLANT7] block=#2\n"
                             "READ 50 slots=null block=#2\n"
                             "CONNECT device=[PLANT7] block=#2\n"
                             "READ 50 slots=returned block=#2\n"
                             "CONNECT device=[PLANT7] block=#2\n"
                             "READ 50 slots=returned block=#2\n" +
                             kShutdownCalls);
}

TEST(ReceiverLoop, NamesAndIdsAreCutTo31CharactersAndExtraWordsIgnored) {
    const std::string forty_device = "DEVICE-NAME-OF-FORTY-CHARACTERS-XXXXXXXX";
    const std::string forty_app = "APPLICATION-ID-OF-FORTY-CHARACTERS-YYYYY";
    ASSERT_EQ(forty_device.size(), 40u);
    ASSERT_EQ(forty_app.size(), 40u);
    const auto cut = run_with_double({"--count", "1", forty_device, forty_app, "extra"},
                                     "connect fail 20/20003\n" + two_tag_message(5));
    EXPECT_NE(cut.calls.find("INIT app=[" + forty_app.substr(0, 31) + "]"), std::string::npos)
        << cut.calls;
    EXPECT_NE(cut.calls.find("CONNECT device=[" + forty_device.substr(0, 31) + "]"),
              std::string::npos);
    EXPECT_NE(cut.calls.find("LOGBLK app=[" + forty_app.substr(0, 31) + "]"), std::string::npos);
    EXPECT_EQ(cut.result.out.substr(0, 52), "\nError connecting to " + forty_device.substr(0, 31));

    const std::string whole = forty_device.substr(0, 31);
    const auto kept = run_with_double({"--count", "1", whole}, two_tag_message(5));
    EXPECT_NE(kept.calls.find("CONNECT device=[" + whole + "]"), std::string::npos);
    EXPECT_NE(kept.calls.find("INIT app=[TAVLOUNSOL]"), std::string::npos);
}

TEST(ReceiverLoop, FirstNameOf40CharactersMakesTheCompactStride) {
    // Entries of 256 bytes, each name ended by a NUL. With a first name of
    // 40 characters the receiver takes the compact stride, so the second
    // name is read 40 bytes on, where there is only the first name's NUL;
    // with 41 it steps by 256.
    const std::string forty(40, 'F');
    const std::string forty_one(41, 'G');
    const auto message = [](const std::string &first) {
        return "escapes\n"
               "message 5 PLANT7 3 42 names=256\n"
               "tag \"" +
               first +
               "\\x00\" REAL REAL 1.5 -1 0 0 0\n"
               "tag \"SECOND\\x00\" REAL REAL 1.5 -1 0 0 0\n";
    };
    const auto compact = run_with_double({"--count", "1", "PLANT7"}, message(forty));
    EXPECT_NE(compact.result.out.find("\nTagname [1]: " + forty + "\n"), std::string::npos);
    EXPECT_NE(compact.result.out.find("\nTagname [2]: \n"), std::string::npos);
    const auto full = run_with_double({"--count", "1", "PLANT7"}, message(forty_one));
    EXPECT_NE(full.result.out.find("\nTagname [1]: " + forty_one + "\n"), std::string::npos);
    EXPECT_NE(full.result.out.find("\nTagname [2]: SECOND\n"), std::string::npos);
}

TEST(ReceiverLoop, OneTagIsNotNumberedAndCompactNamesKeepTheirBlanks) {
    const auto run = run_with_double({"--count", "1", "PLANT7"},
                                     "message 11 PLANT7 3 42\n"
                                     "tag LEVEL LONG EU -7 -1 0 0 60\n");
    EXPECT_EQ(run.result.out,
              "\n++++++++++++++++++++++++++++++++\n\nUnsolicited Values received for:\n" +
                  device_line() + "\nTagname : LEVEL" + std::string(34, ' ') +
                  "\nType: LONG  Device Data Type: ENGINEERING UNIT\nValue= -7"
                  "\nTimestamp: Thu Jan  1 00:01:00 1970\n" +
                  kFlowStatus + kClosing);
}

TEST(ReceiverLoop, CountStopsAfterThatManyReports) {
    const auto run = run_with_double({"--count", "2", "PLANT7"},
                                     two_tag_message(4) + two_tag_message(5) + two_tag_message(11));
    EXPECT_EQ(run.result.exit_status, 0);
    EXPECT_NE(run.result.out.find("Declare reply received for:"), std::string::npos);
    EXPECT_NE(run.result.out.find("Cancel reply received for:"), std::string::npos);
    EXPECT_EQ(run.result.out.find("Unsolicited Values received for:"), std::string::npos);
    EXPECT_EQ(run.calls, kStartCalls +
                             "CONNECT device=[PLANT7] block=#2\n"
                             "READ 50 slots=null block=#2\n"
                             "CONNECT device=[PLANT7] block=#2\n"
                             "READ 50 slots=returned block=#2\n" +
                             kShutdownCalls);
}

// Runs the receiver against the double until the double says CALL is
// waiting, then sends `signal_number`.
struct StoppedRun {
    tavlo::testing::ProcessResult result;
    std::string calls;
};

StoppedRun stop_while_waiting(const std::string &script, const std::string &call,
                              int signal_number) {
    const tavlo::testing::TemporaryDirectory directory("tavlo_double");
    const std::string log_path = directory.file("calls.log");
    ChildProcess child(tavlo::testing::receiver_spec_with_double({"PLANT7"}, script, log_path));
    EXPECT_TRUE(child.wait_for_error_output(call + " waiting"));
    kill(child.pid(), signal_number);
    return StoppedRun{child.finish(), tavlo::testing::read_file(log_path)};
}

TEST(ReceiverLoop, EachStopSignalWhileTheReadWaitsShutsDownCleanly) {
    for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal_number));
        const auto run =
            stop_while_waiting(two_tag_message(11) + "read wait\n", "read", signal_number);
        EXPECT_FALSE(run.result.timed_out);
        EXPECT_EQ(run.result.exit_status, 0);
        EXPECT_EQ(run.result.out,
                  "\n++++++++++++++++++++++++++++++++\n\nUnsolicited Values received for:\n" +
                      device_line() + kWithValues + kClosing);
        // The waiting read may be made more than once before the signal
        // comes; the one it cut short is no failure to log.
        const std::string opening = kStartCalls +
                                    "CONNECT device=[PLANT7] block=#2\n"
                                    "READ 50 slots=null block=#2\n"
                                    "CONNECT device=[PLANT7] block=#2\n"
                                    "READ 50 slots=returned block=#2\n";
        EXPECT_EQ(run.calls.substr(0, opening.size()), opening);
        EXPECT_EQ(run.calls.find("LOGBLK"), std::string::npos) << run.calls;
        ASSERT_GE(run.calls.size(), kShutdownCalls.size());
        EXPECT_EQ(run.calls.substr(run.calls.size() - kShutdownCalls.size()), kShutdownCalls);
    }
}

TEST(ReceiverLoop, AStopDuringAConnectIsNoConnectError) {
    const auto run = stop_while_waiting("connect wait\n", "connect", SIGTERM);
    EXPECT_EQ(run.result.exit_status, 0);
    EXPECT_EQ(run.result.out, kClosing);
    EXPECT_EQ(run.calls, kStartCalls + "CONNECT device=[PLANT7] block=#2\n" + kShutdownCalls);
}

TEST(ReceiverLoop, AFailedReadOtherThanNoMessageIsLoggedAndTheNextPassConnects) {
    for (const int error : {20004, 20006, 20009, 20010, 20011}) {
        const std::string code = std::to_string(error);
        const auto run = run_with_double({"--count", "1", "PLANT7"},
                                         "read fail 20/" + code + "\n" + two_tag_message(1));
        EXPECT_EQ(run.result.out, "\n+++++++++++++++++++++++\n\nGet reply received for:\n" +
                                      device_line() + kWithValues + kClosing)
            << code;
        EXPECT_EQ(run.calls, kStartCalls +
                                 "CONNECT device=[PLANT7] block=#2\n"
                                 "READ 50 slots=null block=#2\n"
                                 "LOGBLK app=[TAVLOUNSOL] block=#2 log=#1 error=" +
                                 code +
                                 "\n"
                                 "CONNECT device=[PLANT7] block=#2\n"
                                 "READ 50 slots=null block=#2\n" +
                                 kShutdownCalls)
            << code;
    }
}

TEST(ReceiverLoop, TimeoutStopsTheLoopWithItsStatus) {
    // Without --count a timeout is the stop that was asked for; with a
    // --count that was not reached it says so in the status.
    const auto plain = run_with_double({"--timeout", "0.2", "PLANT7"}, "read wait\n");
    EXPECT_EQ(plain.result.exit_status, 0);
    EXPECT_EQ(plain.result.out, kClosing);
    const auto short_of_count = run_with_double({"--timeout", "0.2", "--count", "5", "PLANT7"},
                                                two_tag_message(11) + "read wait\n");
    EXPECT_EQ(short_of_count.result.exit_status, 3);
    EXPECT_NE(short_of_count.result.out.find("Unsolicited Values received for:"),
              std::string::npos);
}

}  // namespace
