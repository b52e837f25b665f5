// The one-pass reader of plain tag lines next to the general reader: a
// message built from the same lines is the same, field by field, and so is
// the error, whether the quick reader takes a line or leaves it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "plain_line_outcome.h"

namespace {

using tavlo::script::build;
using tavlo::script::expect_same_outcome;
using tavlo::script::Outcome;

const std::string kMessage = "message UNSOLICITED SIMPLANT 1 101 seq=3 at=1796807712.539";

TEST(PlainTagLine, TakesTheRecordedShapeAsTheGeneralReaderDoes) {
    const std::vector<std::string> lines = {
        kMessage,
        "tag SIM.MESSAGE_NUMBER LONG LONG 2 -1 0 0 1700000000.200",
        "tag BOILER.TEMPERATURE REAL REAL 61.0625 -5 5 21 1700000000",
        "tag BOILER.PRESSURE DOUBLE EU 2.25 -1 0 0 1700000000.200",
        "tag BOILER.BURNER_STAGE SHORT ENUM -32768 -1 0 0 1700000000.200",
        "tag COOLING.VALVE_ID ASCII:12 EXTID VLV-0001-A -49 5 39 1700000000.100",
        "tag BOILER.MODE ASCII DESC STARTING -2147483648 2147483647 0 0.001",
        "tag BOILER.LAST_IGNITION TIME DTIME 1699996400.074 -1 0 0 2147483647.999",
        "tag " + std::string(255, 'N') + " 4 7 1 -1 0 0 1",
    };
    const Outcome quick = build(lines, true);
    EXPECT_EQ(quick.quick, 8);
    expect_same_outcome(lines);
}

TEST(PlainTagLine, LeavesEveryOtherLineToTheGeneralReaderWithTheSameResult) {
    const std::string tail = " -1 0 0 1700000000.100";
    const std::vector<std::string> odd = {
        // Blanks other than one space, quotes, control bytes.
        "tag A  REAL REAL 1" + tail,
        "tag A\tREAL REAL 1" + tail,
        "tag A REAL REAL 1" + tail + " ",
        "tag A REAL REAL 1" + tail + "\r",
        "tag \"A B\" REAL REAL 1" + tail,
        "tag A ASCII DESC \"two words\"" + tail,
        "tag A ASCII DESC a\"b" + tail,
        "tag A ASCII DESC a\x01"
        "b" +
            tail,
        std::string("tag A ASCII DESC a\0b", 20) + tail,
        "tag  A REAL REAL 1" + tail,
        " tag A REAL REAL 1" + tail,
        "tag",
        "tag ",
        "tags A",
        // Options, too few and too many tokens.
        "tag A REAL REAL 1" + tail + " elements=3",
        "tag A REAL REAL 1" + tail + " stamp-ms=1000",
        "tag A REAL REAL 1 -1 0 0",
        "tag A REAL REAL 1" + tail + " x",
        // Types and device types.
        "tag A 1 REAL 1" + tail,
        "tag A 7 REAL 1" + tail,
        "tag A ENUM REAL 1" + tail,
        "tag A real REAL 1" + tail,
        "tag A 4:4 REAL 01020304" + tail,
        "tag A 3:0 REAL \"\"" + tail,
        "tag A ASCII: DESC x" + tail,
        "tag A ASCII:0 DESC x" + tail,
        "tag A ASCII:+3 DESC x" + tail,
        "tag A ASCII:65536 DESC x" + tail,
        "tag A ASCII:65537 DESC x" + tail,
        "tag A ASCII:0003 DESC abc" + tail,
        "tag A ASCII:2 DESC abc" + tail,
        "tag A REAL 32767 1" + tail,
        "tag A REAL -32769 1" + tail,
        "tag A REAL FLOAT 1" + tail,
        // Values.
        "tag A REAL REAL +1" + tail,
        "tag A REAL REAL 1e-50" + tail,
        "tag A REAL REAL 1e-40" + tail,
        "tag A REAL REAL 1e39" + tail,
        "tag A REAL REAL nan" + tail,
        "tag A REAL REAL -inf" + tail,
        "tag A DOUBLE REAL 0x1p3" + tail,
        "tag A DOUBLE REAL 4.9e-324" + tail,
        "tag A DOUBLE REAL 1.5." + tail,
        "tag A SHORT REAL 32767" + tail,
        "tag A SHORT REAL 32768" + tail,
        "tag A SHORT REAL -0" + tail,
        "tag A SHORT REAL -" + tail,
        "tag A LONG REAL 0000000000000000000000007" + tail,
        "tag A LONG REAL 2147483648" + tail,
        "tag A LONG REAL 99999999999999999999" + tail,
        "tag A TIME REAL -5" + tail,
        "tag A TIME REAL 5.5" + tail,
        "tag A TIME REAL 5.5000" + tail,
        "tag A TIME REAL .500" + tail,
        "tag A TIME REAL 00000000001.000" + tail,
        "tag A TIME REAL 2147483648" + tail,
        // Statuses and timestamps.
        "tag A REAL REAL 1 +1 0 0 0",
        "tag A REAL REAL 1 1 0 -2147483649 0",
        "tag A REAL REAL 1 -1 0 x 0",
        "tag A REAL REAL 1 -1 0 0 -1",
        "tag A REAL REAL 1 -1 0 0 +1",
        "tag A REAL REAL 1 -1 0 0 1.",
        "tag A REAL REAL 1 -1 0 0 1.1",
        "tag A REAL REAL 1 -1 0 0 1.12a",
        "tag A REAL REAL 1 -1 0 0 1.1234",
        "tag A REAL REAL 1 -1 0 0 12345678a.123",
        "tag A REAL REAL 1 -1 0 0 99999999999",
        "tag A REAL REAL 1 -1 0 0 4294967296",
        "tag A REAL REAL 1 -1 0 0 2147483648",
        "tag A REAL REAL 1 -1 0 0 0.000",
    };
    int quick = 0;
    for (const std::string &line : odd) {
        expect_same_outcome({kMessage, line});
        quick += build({kMessage, line}, true).quick;
    }
    // Some of them are plain and are taken: the comparison saw both ways.
    EXPECT_GT(quick, 10);
    EXPECT_LT(quick, static_cast<int>(odd.size()) / 2);
}

TEST(PlainTagLine, LeavesTheLimitsOfAMessageToTheGeneralReader) {
    const std::string tag = "tag A REAL REAL 1 -1 0 0 0";
    // No message yet; a name too long for names=40.
    expect_same_outcome({tag});
    expect_same_outcome({"# a comment", tag, kMessage});
    expect_same_outcome({kMessage + " names=40",
                         "tag " + std::string(39, 'n') + " LONG LONG 1 0 0 0 0",
                         "tag " + std::string(40, 'n') + " LONG LONG 1 0 0 0 0"});
    // The frame of 16 MiB, filled by the 256th value of 64 KiB.
    std::vector<std::string> large = {kMessage};
    for (int k = 0; k < 257; ++k) {
        large.push_back("tag T" + std::to_string(k) + " ASCII:65536 DESC x -1 0 0 0");
    }
    expect_same_outcome(large);
    EXPECT_EQ(build(large, false).error.reason, "the message does not fit in a frame of 16 MiB");
    // The most tags a message holds, and one more.
    std::vector<std::string> many = {kMessage};
    for (int k = 0; k < 65536; ++k) many.push_back(tag);
    expect_same_outcome(many);
    many.push_back(tag);
    expect_same_outcome(many);
    EXPECT_EQ(build(many, true).error.reason, "a message holds at most 65536 tags");
}

// Lines made of the fields of a tag line, each drawn from good and bad
// choices, now and then one byte changed: both ways give the same.
TEST(PlainTagLine, RandomLinesGiveWhatTheGeneralReaderGives) {
    const std::vector<std::string> heads = {"tag", "tags", "message", "more", "#"};
    const std::vector<std::string> names = {"A",
                                            "BOILER.TEMPERATURE",
                                            std::string(39, 'n'),
                                            std::string(40, 'n'),
                                            std::string(256, 'n'),
                                            "\"q\"",
                                            "x=1"};
    const std::vector<std::string> types = {"REAL", "SHORT",    "ASCII", "LONG",    "DOUBLE",
                                            "TIME", "ASCII:12", "4",     "ASCII:1", "EU",
                                            "0:4",  "ASCII:x",  "7"};
    const std::vector<std::string> devices = {"REAL",  "EU",    "DESC",  "ORDINAL", "-32768",
                                              "32767", "32768", "EXTID", "eu",      "CBAW"};
    const std::vector<std::string> values = {
        "0",           "-1",       "61.25",      "1e-40",          "32768",
        "-2147483648", "STARTING", "VLV-0001-A", "1699996400.074", "1.5",
        "nan",         "00",       "+3",         "123456789012"};
    const std::vector<std::string> numbers = {"0",          "-1", "5",  "-49", "2147483647",
                                              "2147483648", "x",  "+0", "-"};
    const std::vector<std::string> times = {"1700000000", "1700000000.100", "0",
                                            "1.5",        "2147483647.999", "2147483648",
                                            "-1",         "1.0000",         "12345678.123"};
    const std::vector<std::string> blanks = {" ", "  ", "\t"};
    std::mt19937 random(11);
    // Mostly one of the first `good` choices, which make a plain line.
    const auto pick = [&](const std::vector<std::string> &from, std::size_t good) {
        return from[random() % (random() % 8 != 0 ? good : from.size())];
    };
    int quick = 0;
    for (int n = 0; n < 6000; ++n) {
        std::vector<std::string> lines = {random() % 4 == 0 ? kMessage + " names=40" : kMessage};
        const int tags = 1 + static_cast<int>(random() % 3);
        for (int k = 0; k < tags; ++k) {
            const std::string fields[] = {pick(heads, 1),   pick(names, 4),   pick(types, 9),
                                          pick(devices, 6), pick(values, 2),  pick(numbers, 5),
                                          pick(numbers, 5), pick(numbers, 5), pick(times, 5)};
            std::string line = fields[0];
            for (std::size_t f = 1; f < std::size(fields); ++f) line += pick(blanks, 1) + fields[f];
            if (random() % 8 == 0) line += " " + pick({"elements=2", "stamp-ms=5", "x"}, 3);
            if (random() % 6 == 0) {
                const std::string bytes = std::string(" \t\r\"\\-.:0+9aZ\x01", 14) + '\0';
                line[random() % line.size()] = bytes[random() % bytes.size()];
            }
            lines.push_back(line);
        }
        expect_same_outcome(lines);
        quick += build(lines, true).quick;
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(quick, 1000);
}

}  // namespace

// A type keyword is the whole token: not a part of it, nor one with NUL
// bytes after it, which only escapes put in a token.
TEST(PlainTagLine, TypeKeywordsAreWholeTokens) {
    const std::string tail = " 1 -1 0 0 0";
    for (const std::string type : {"RE", "REALS", "\"REAL\\x00\"", "\"EU\\x00\\x00\"", "\"\""}) {
        for (const std::string &line :
             {"tag A " + type + " REAL" + tail, "tag A REAL " + type + tail}) {
            const Outcome general = build({kMessage, line}, false);
            EXPECT_TRUE(general.failed) << line;
            EXPECT_EQ(general.error.line, 2) << line;
            expect_same_outcome({kMessage, line});
        }
    }
    // The keywords themselves, each both ways.
    for (const std::string type : {"REAL", "SHORT", "ASCII", "LONG", "DOUBLE", "TIME"}) {
        for (const std::string device :
             {"ENUM", "ORDINAL", "DTIME", "EXTID", "CBAW", "CBST", "EU", "DESC", "REAL", "TIME"}) {
            const std::string line = "tag A " + type + " " + device + " 1 -1 0 0 0";
            EXPECT_EQ(build({kMessage, line}, true).quick, 1) << line;
            expect_same_outcome({kMessage, line});
        }
    }
}
