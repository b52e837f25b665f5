// The receiver's options: help, version, and bad command lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "receiver_runner.h"

namespace {

using tavlo::testing::run_with_double;

TEST(ReceiverOptions, HelpAndVersionPrintAndTouchNoLibrary) {
    const auto help = run_with_double({"--help"}, "");
    EXPECT_EQ(help.result.exit_status, 0);
    EXPECT_EQ(help.result.out.rfind("Usage: tavlo_t_receiver [options] device_name [app_id]\n", 0),
              0u);
    EXPECT_NE(help.result.out.find("  3  --timeout ran out"), std::string::npos);
    EXPECT_EQ(help.calls, "");
    // The JSON output's document is named where it is: in the build, in the
    // source tree.
    std::smatch named;
    const std::regex document_line("\nThe JSON lines are described in\n  (.*)\n");
    ASSERT_TRUE(std::regex_search(help.result.out, named, document_line)) << help.result.out;
    EXPECT_EQ(access(named[1].str().c_str(), R_OK), 0) << named[1];
    const auto version = run_with_double({"--version", "PLANT7"}, "");
    EXPECT_EQ(version.result.exit_status, 0);
    EXPECT_EQ(version.result.out.rfind("tavlo_t_receiver ", 0), 0u);
    EXPECT_EQ(version.calls, "");
}

TEST(ReceiverOptions, BadOptionsAreRefusedWithStatus2) {
    struct BadCase {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string count =
        "tavlo_t_receiver: --count: expects a whole number from 1 to "
        "9223372036854775807\n";
    const std::string timeout =
        "tavlo_t_receiver: --timeout: expects a decimal number from 0.001 to 10000000\n";
    const std::string kNoView = std::string("tavlo_t_receiver: --view: ") +
                                (TAVLO_VIEW_BUILT ? "standard output is not a terminal\n"
                                                  : "is not built in: ncurses was not found "
                                                    "when this receiver was built\n");
    const std::string kBadStale =
        "tavlo_t_receiver: --stale: expects a duration such as 5, 1.5s, 500ms or 2m\n";
    // Without cpp-httplib the endpoint is refused whatever its address.
    const auto bad_listen = [](const std::string &problem) {
        return "tavlo_t_receiver: --metrics-listen: " +
               (TAVLO_METRICS_ENDPOINT_BUILT
                    ? problem
                    : "is not built in (cpp-httplib was missing when this program was built)") +
               "\n";
    };
    const std::string kBadPort = "expects [ADDRESS:]PORT with a port from 0 to 65535, not ";
    const BadCase cases[] = {
        {{"--verbose", "PLANT7"}, "tavlo_t_receiver: --verbose: unknown option\n"},
        {{"--count"}, "tavlo_t_receiver: --count: needs a value\n"},
        {{"--count", "0", "PLANT7"}, count},
        {{"--count=7x", "PLANT7"}, count},
        {{"--timeout", "-1", "PLANT7"}, timeout},
        {{"--timeout=nan", "PLANT7"}, timeout},
        {{"--format", "xml", "PLANT7"},
         "tavlo_t_receiver: --format: expects text, json, view or none\n"},
        // The live view needs a terminal; the tests' standard output is a pipe.
        {{"--view", "PLANT7"}, kNoView},
        {{"--format", "view", "--count", "1", "PLANT7"}, kNoView},
        {{"--raw", "--format", "json", "PLANT7"},
         "tavlo_t_receiver: --raw: is for the text report alone\n"},
        {{"--kind", "get,reply", "PLANT7"},
         "tavlo_t_receiver: --kind: expects get, put, declare, cancel, unsolicited or a whole "
         "number, not 'reply'\n"},
        {{"--kind", "2147483648", "PLANT7"},
         "tavlo_t_receiver: --kind: expects get, put, declare, cancel, unsolicited or a whole "
         "number, not '2147483648'\n"},
        {{"--list", "101,,102", "PLANT7"}, "tavlo_t_receiver: --list: has an empty item\n"},
        {{"--list=x", "PLANT7"},
         "tavlo_t_receiver: --list: expects a whole number from -2147483648 to 2147483647\n"},
        {{"--tag", "BOILER.[AB", "PLANT7"},
         "tavlo_t_receiver: --tag: 'BOILER.[AB' has a '[' without its ']'\n"},
        {{"--tag", "[[:alpha:]", "PLANT7"},
         "tavlo_t_receiver: --tag: '[[:alpha:]' has a '[' without its ']'\n"},
        {{"--tag", "TANK\\", "PLANT7"},
         "tavlo_t_receiver: --tag: 'TANK\\' ends in a lone backslash\n"},
        {{"--tag=", "PLANT7"}, "tavlo_t_receiver: --tag: needs a value\n"},
        {{"--stale", "5x", "PLANT7"}, kBadStale},
        {{"--stale=0.001", "PLANT7"}, kBadStale},
        {{"--stale=ms", "PLANT7"}, kBadStale},
        {{"--metrics-listen", "65536", "PLANT7"}, bad_listen(kBadPort + "'65536'")},
        {{"--metrics-listen", "[::1]:", "PLANT7"}, bad_listen(kBadPort + "'[::1]:'")},
        {{"--metrics-listen", ":9100", "PLANT7"}, bad_listen("needs an address before the ':'")},
        {{"--mqtt", "http://broker", "PLANT7"},
         "tavlo_t_receiver: --mqtt: expects mqtt://HOST[:PORT] or mqtts://HOST[:PORT], not "
         "'http://broker'\n"},
        {{"--mqtt-qos", "3", "PLANT7"},
         "tavlo_t_receiver: --mqtt-qos: expects a whole number from 0 to 2\n"},
        {{"--mqtt-queue-max", "64MB", "PLANT7"},
         "tavlo_t_receiver: --mqtt-queue-max: expects a number of messages from 1 to 2147483647, "
         "or a size from 1KiB to 1024GiB such as 64MiB (KiB, MiB, GiB)\n"},
        {{"--mqtt-spool", "/tmp/s", "PLANT7"},
         "tavlo_t_receiver: --mqtt-spool: needs --mqtt URL\n"},
        {{"--mqtt-topic", "plant/#", "PLANT7"},
         "tavlo_t_receiver: --mqtt-topic: may not hold + or # (they are for subscriptions)\n"},
        {{"--mqtt", "mqtt://h", "--mqtt-cafile", "ca.pem", "PLANT7"},
         TAVLO_MQTT_BUILT ? "tavlo_t_receiver: --mqtt-cafile: needs an mqtts:// broker\n"
                          : "tavlo_t_receiver: --mqtt: needs libmosquitto, which this build was "
                            "made without (Debian: apt-get install libmosquitto-dev, then build "
                            "again)\n"},
        {{""}, "tavlo_t_receiver: device_name: is empty\n"},
        {{"--count", "1", "", "APP"}, "tavlo_t_receiver: device_name: is empty\n"},
    };
    for (const BadCase &c : cases) {
        const auto run = run_with_double(c.args, "");
        EXPECT_EQ(run.result.exit_status, 2) << c.message;
        EXPECT_EQ(run.result.err, c.message);
        EXPECT_EQ(run.result.out, "");
        EXPECT_EQ(run.calls, "");
    }
}

TEST(ReceiverOptions, OptionsWithoutADeviceGiveTheUsagePath) {
    const auto run = run_with_double({"--count", "3"}, "");
    EXPECT_EQ(run.result.out,
              "\n Usage: tavlo_t_receiver device_name [app_id]\n\n"
              "\nClosing Tavlo Connections.\n\n");
    EXPECT_EQ(run.result.exit_status, 2);
    EXPECT_EQ(run.calls, "SERVER_INITBLK #1\nEXIT block=#1\n");
}

TEST(ReceiverOptions, DoubleDashLetsADeviceNameStartWithDashes) {
    const auto run = run_with_double({"--count=1", "--", "--odd-device"},
                                     "message 5 X 1 2\ntag A REAL REAL 1 -1 0 0 0\n");
    EXPECT_EQ(run.result.exit_status, 0);
    EXPECT_NE(run.calls.find("CONNECT device=[--odd-device]"), std::string::npos) << run.calls;
}

}  // namespace
