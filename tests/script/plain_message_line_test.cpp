// The one-pass reader of plain message lines next to the general reader:
// the messages built from the same lines are the same, field by field, and
// so is the error, whether the quick reader takes a line or leaves it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "plain_line_outcome.h"

namespace {

using tavlo::script::build;
using tavlo::script::expect_same_outcome;

const std::string kTag = "tag A LONG LONG 1 -1 0 0 1700000000.200";

TEST(PlainMessageLine, TakesTheRecordedShapeAsTheGeneralReaderDoes) {
    const std::vector<std::string> lines = {
        "message UNSOLICITED SIMPLANT 1 101 seq=3 at=1796807712.539",
        kTag,
        "message GET D -2147483648 2147483647 seq=-2147483648 names=256 at=0",
        kTag,
        kTag,
        "message DECLARE " + std::string(31, 'd') + " 0 0 seq=2147483647 at=2147483647.999",
        "message PUT D 7 8 seq=0 names=256 at=1.000",
        "message CANCEL D 0 0 seq=1 at=1",
        kTag,
    };
    EXPECT_EQ(build(lines, true).quick_messages, 5);
    expect_same_outcome(lines);
}

TEST(PlainMessageLine, LeavesEveryOtherLineToTheGeneralReaderWithTheSameResult) {
    const std::string at = " at=1700000000.100";
    const std::vector<std::string> odd = {
        // Blanks other than one space, quotes, control bytes.
        "message  GET D 1 2 seq=3" + at,
        "message GET\tD 1 2 seq=3" + at,
        "message GET D 1 2 seq=3" + at + " ",
        "message GET D 1 2 seq=3" + at + "\r",
        "message GET \"D E\" 1 2 seq=3" + at,
        "message GET \"\" 1 2 seq=3" + at,
        "message GET D\"E 1 2 seq=3" + at,
        "message GET D\x01 1 2 seq=3" + at,
        std::string("message GET D\0 1 2 seq=3", 24) + at,
        " message GET D 1 2 seq=3" + at,
        "message",
        "message ",
        "messages GET D 1 2 seq=3" + at,
        // Kinds, device names, numbers.
        "message get D 1 2 seq=3" + at,
        "message 7 D 1 2 seq=3" + at,
        "message -7 D 1 2 seq=3" + at,
        "message +7 D 1 2 seq=3" + at,
        "message UNSOLICITED1 D 1 2 seq=3" + at,
        "message GET " + std::string(32, 'd') + " 1 2 seq=3" + at,
        "message GET D +1 2 seq=3" + at,
        "message GET D 1 2147483648 seq=3" + at,
        "message GET D 1 -2147483649 seq=3" + at,
        "message GET D 1 000000000000000000002 seq=3" + at,
        "message GET D x 2 seq=3" + at,
        // Options: missing, repeated, out of order, unknown, bad values.
        "message GET D 1 2",
        "message GET D 1 2 seq=3",
        "message GET D 1 2" + at,
        "message GET D 1 2 names=256" + at,
        "message GET D 1 2 seq=3 names=40" + at,
        "message GET D 1 2 seq=3 names=41" + at,
        "message GET D 1 2 seq=3 names=256",
        "message GET D 1 2 seq=3 names=256 names=256" + at,
        "message GET D 1 2 seq=3 seq=4" + at,
        "message GET D 1 2" + at + " seq=3",
        "message GET D 1 2 seq=3 names=256" + at + " x=1",
        "message GET D 1 2 seq=3 x=1" + at,
        "message GET D 1 2 seq= at=1",
        "message GET D 1 2 seq=+3" + at,
        "message GET D 1 2 seq=2147483648" + at,
        "message GET D 1 2 seq=3 at=",
        "message GET D 1 2 seq=3 at=-1",
        "message GET D 1 2 seq=3 at=1.5",
        "message GET D 1 2 seq=3 at=1.1234",
        "message GET D 1 2 seq=3 at=2147483648",
        "message GET D 1 2 seq=3 at=00000000001.000",
        "message GET D 1 2 seq=3 at=12345678a.123",
        "message GET D 1 2 seq=3 at=1=2",
        "message GET D 1 2 seq=3 AT=1",
    };
    int quick = 0;
    for (const std::string &line : odd) {
        // Alone, after a message, and with tags after it.
        expect_same_outcome({line});
        expect_same_outcome({"message GET D 1 2 seq=3 at=5", kTag, line, kTag});
        quick += build({line, kTag}, true).quick_messages;
        if (HasFatalFailure()) return;
    }
    // Some of them are plain and are taken: the comparison saw both ways.
    EXPECT_GT(quick, 3);
    EXPECT_LT(quick, static_cast<int>(odd.size()) / 4);
}

// Messages made of the fields of a message line, each drawn from good and
// bad choices, now and then one byte changed: both ways give the same.
TEST(PlainMessageLine, RandomLinesGiveWhatTheGeneralReaderGives) {
    const std::vector<std::string> heads = {"message", "messages", "tag", "#"};
    const std::vector<std::string> kinds = {"UNSOLICITED", "GET", "PUT", "DECLARE", "CANCEL",
                                            "5",           "x",   "+1",  "-0"};
    const std::vector<std::string> devices = {"SIMPLANT",           "D",       std::string(31, 'd'),
                                              std::string(32, 'd'), "\"D E\"", "a=b"};
    const std::vector<std::string> numbers = {
        "0", "101", "-1", "2147483647", "-2147483648", "2147483648", "x", "+0", "-"};
    const std::vector<std::string> options = {
        "seq=3",  "seq=-9",   "names=256", "at=1700000000.100",
        "at=1",   "names=40", "seq=x",     "names=1",
        "at=1.5", "at=",      "x=1",       "seq"};
    const std::vector<std::string> blanks = {" ", "  ", "\t"};
    std::mt19937 random(17);
    // Mostly one of the first `good` choices, which make a plain line.
    const auto pick = [&](const std::vector<std::string> &from, std::size_t good) {
        return from[random() % (random() % 8 != 0 ? good : from.size())];
    };
    int quick = 0;
    for (int n = 0; n < 4000; ++n) {
        std::vector<std::string> lines;
        const int messages = 1 + static_cast<int>(random() % 3);
        for (int k = 0; k < messages; ++k) {
            std::string line = pick(heads, 1);
            for (const std::string &field :
                 {pick(kinds, 5), pick(devices, 3), pick(numbers, 5), pick(numbers, 5)}) {
                line += pick(blanks, 1) + field;
            }
            // Mostly seq=, names=256 now and then, at=; at times any options.
            if (random() % 6 != 0) {
                line += " " + pick({"seq=3", "seq=-9", "seq=x", "seq=+1"}, 2);
                if (random() % 3 == 0) line += " names=256";
                line += " " + pick({"at=1700000000.100", "at=1", "at=1.5", "at=-1"}, 2);
            } else {
                for (int o = static_cast<int>(random() % 5); o > 0; --o) {
                    line += " " + options[random() % options.size()];
                }
            }
            if (random() % 6 == 0) {
                const std::string bytes = std::string(" \t\r\"\\-.:=0+9aZ\x01", 15) + '\0';
                line[random() % line.size()] = bytes[random() % bytes.size()];
            }
            lines.push_back(line);
            if (random() % 2 == 0) lines.push_back(kTag);
        }
        expect_same_outcome(lines);
        quick += build(lines, true).quick_messages;
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(quick, 1000);
}

}  // namespace
