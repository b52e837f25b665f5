// The historical value report: headers, values, bad values, the two
// counts, name stepping and invalid times.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bytes.h"
#include "console_capture.h"
#include "name_layouts.h"
#include "tavlo_testsupport.h"

namespace {

using tavlo::testing::append;
using tavlo::testing::append_text;
using tavlo::testing::capture_stdout;
using tavlo::testing::compact_entry;

const std::string kGood = "\nStatus is GOOD (-1)\nFacility=0\nDriver Status=0";
const std::string kHeading = "\n\nHistorical values\n-----------------";
const std::string kNoPeriod =
    "\nInvalid start time for historical data\nInvalid end time for historical data";
constexpr TimeRecord kInvalidTime{-1, 0};
constexpr TimeRecord kEpoch{0, 0};

// The lines of a tag up to its value list.
std::string header(const std::string &name, const std::string &type_line, int n,
                   const std::string &period) {
    return "\nTagname: " + name + type_line + "\n" +
           "\nNumber of historical values = " + std::to_string(n) + period + kHeading;
}

std::string period(const std::string &start, const std::string &end) {
    return "\n\nStart time of historical data = " + start +
           "\nEnd time of historical data = " + end;
}

// Everything a historical read gives the report.
struct HistoricalRead {
    std::string names;
    std::vector<TypeDescriptor> descriptors;  // header first; empty: none
    std::vector<unsigned char> values;
    std::vector<TagStatus> statuses;
    std::vector<TimeRecord> timestamps;
    std::vector<uint32_t> value_counts;
    std::vector<TimeRecord> start_times;
    std::vector<TimeRecord> end_times;
    std::vector<uint32_t> value_limits;

    std::string print(int32_t count) const {
        return capture_stdout([&] {
            print_historical_values(
                names.data(), descriptors.empty() ? nullptr : descriptors.data(), values.data(),
                statuses.data(), timestamps.data(), value_counts.data(), start_times.data(),
                end_times.data(), count, value_limits.data());
        });
    }
};

// A read of `tags` tags that shows `values_each` values of each: all GOOD,
// no valid time anywhere. Names, descriptors and values are the test's.
HistoricalRead plain_read(std::size_t tags, uint32_t values_each) {
    HistoricalRead read;
    read.statuses.assign(std::max<std::size_t>(tags * values_each, 1), TagStatus{-1, 0, 0});
    read.timestamps.assign(read.statuses.size(), kInvalidTime);
    read.value_counts.assign(tags, values_each);
    read.value_limits.assign(tags, values_each);
    read.start_times.assign(tags, kInvalidTime);
    read.end_times.assign(tags, kInvalidTime);
    return read;
}

class HistoricalValueReport : public ::testing::Test {
protected:
    void SetUp() override { tag_name_stride = 40; }
};

TEST_F(HistoricalValueReport, TagsOfSeveralTypes) {
    HistoricalRead read;
    read.names =
        compact_entry("LEVEL") + compact_entry("TEXT") + compact_entry("WHEN") + compact_entry("N");
    read.descriptors = {{7, 0, 4, 1}, {1, 1, 4, 1}, {3, 3, 5, 1}, {6, 6, 8, 1}, {2, 2, 2, 1}};
    append(read.values, 1.5f);
    append(read.values, -2.25f);
    append_text(read.values, "hello");
    append(read.values, TimeRecord{0, 3600});
    append<uint16_t>(read.values, 0xFFFF);
    read.statuses = {{-1, 0, 0}, {-3, 5, 7}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}};
    read.timestamps = {{0, 3600}, {0, 7200}, {0, 60}, kEpoch, kEpoch};
    read.value_counts = {2, 1, 1, 1};
    read.value_limits = {5, 1, 1, 1};
    read.start_times = {kEpoch, {0, 60}, kEpoch, kEpoch};
    read.end_times = {{0, 86400}, {0, 120}, kEpoch, kEpoch};
    const std::string jan1 = "Thu Jan  1 00:00:00 1970\n";
    EXPECT_EQ(read.print(4),
              "\n" +
                  header("LEVEL" + std::string(34, ' '), "\nType: REAL", 2,
                         period(jan1, "Fri Jan  2 00:00:00 1970\n")) +
                  "\nValue= 1.500000\nTimestamp: Thu Jan  1 01:00:00 1970\n" + kGood + "\n" +
                  "\nValue= -2.250000\nTimestamp: Thu Jan  1 02:00:00 1970\n" +
                  "\nStatus is SUSPECT (-3)\nFacility=5\nDriver Status=7\n" +
                  header("TEXT" + std::string(35, ' '), "\nType: ASCII", 1,
                         period("Thu Jan  1 00:01:00 1970\n", "Thu Jan  1 00:02:00 1970\n")) +
                  "\nValue= hello\nTimestamp: Thu Jan  1 00:01:00 1970\n" + kGood + "\n" +
                  header("WHEN" + std::string(35, ' '), "\nType: TIME", 1, period(jan1, jan1)) +
                  "\nTime Value: Milliseconds= 0  Seconds= 3600\nThu Jan  1 01:00:00 1970\n" +
                  "\nTimestamp: " + jan1 + kGood + "\n" +
                  header("N" + std::string(38, ' '), "\nType: SHORT", 1, period(jan1, jan1)) +
                  "\nValue= -1\nTimestamp: " + jan1 + kGood + "\n");
}

struct CountCase {
    uint32_t value_count;
    uint32_t value_limit;
    int shown;
};

TEST_F(HistoricalValueReport, TheSmallerCountIsShownAndTheLargerOneSteps) {
    const CountCase cases[] = {{10, 4, 4}, {4, 10, 4}, {0, 3, 0}, {3, 0, 0}};
    for (const CountCase &c : cases) {
        HistoricalRead read;
        tag_name_stride = 0;
        read.names = std::string("A\0B\0", 4);
        read.descriptors = {{7, 0, 2, 1}, {4, 4, 4, 1}, {4, 4, 4, 1}};
        // Tag A's statuses carry their position as facility; tag B's one
        // status follows A's whole block.
        for (uint32_t j = 0; j < c.value_count; ++j) {
            read.statuses.push_back({-1, static_cast<int32_t>(j), 0});
        }
        read.statuses.push_back({-3, 99, 0});
        read.timestamps.assign(read.statuses.size(), kInvalidTime);
        // The values of B follow the values A shows.
        for (int j = 0; j < c.shown; ++j) append<int32_t>(read.values, 10 + j);
        append<int32_t>(read.values, 77);
        read.value_counts = {c.value_count, 1};
        read.value_limits = {c.value_limit, 1};
        read.start_times = {kInvalidTime, kInvalidTime};
        read.end_times = {kInvalidTime, kInvalidTime};

        std::string expected = "\n" + header("A", "\nType: LONG", c.shown, kNoPeriod);
        for (int j = 0; j < c.shown; ++j) {
            expected += "\nValue= " + std::to_string(10 + j) +
                        "\nInvalid timestamp\nStatus is GOOD (-1)\nFacility=" + std::to_string(j) +
                        "\nDriver Status=0\n";
        }
        expected += header("B", "\nType: LONG", 1, kNoPeriod) +
                    "\nValue= 77\nInvalid timestamp\nStatus is SUSPECT (-3)\nFacility=99"
                    "\nDriver Status=0\n";
        EXPECT_EQ(read.print(2), expected) << c.value_count << " and " << c.value_limit;
    }
}

TEST_F(HistoricalValueReport, OnlyStatusMinusSixHidesAValue) {
    HistoricalRead read = plain_read(1, 3);
    read.names = compact_entry("L");
    read.descriptors = {{7, 0, 1, 1}, {4, 4, 4, 1}};
    append<int32_t>(read.values, 7);
    append<int32_t>(read.values, 8);
    append<int32_t>(read.values, 9);
    read.statuses = {{-6, 1, 2}, {-12, 0, 0}, {-3, 0, 0}};
    read.timestamps = {kEpoch, kEpoch, kEpoch};
    const std::string stamp = "\nTimestamp: Thu Jan  1 00:00:00 1970\n";
    EXPECT_EQ(read.print(1),
              "\n" + header("L" + std::string(38, ' '), "\nType: LONG", 3, kNoPeriod) +
                  "\nValue is not displayed due to bad status, status code=-6" + stamp +
                  "\nStatus is BAD (-6)\nFacility=1\nDriver Status=2\n" + "\nValue= 8" + stamp +
                  "\nStatus is 'Request Failed' (-12)\nFacility=0\nDriver Status=0\n" +
                  "\nValue= 9" + stamp + "\nStatus is SUSPECT (-3)\nFacility=0\nDriver Status=0\n");
}

TEST_F(HistoricalValueReport, AsciiValuesPrintTheirFullSizeAndStayUnchanged) {
    HistoricalRead read = plain_read(1, 2);
    read.names = compact_entry("TXT");
    read.descriptors = {{7, 0, 1, 1}, {3, 3, 8, 1}};
    append_text(read.values, "ABCDEFGH");
    append_text(read.values, std::string("AB\0\0\0\0\0\0", 8));
    const std::vector<unsigned char> before = read.values;
    EXPECT_EQ(read.print(1),
              "\n" + header("TXT" + std::string(36, ' '), "\nType: ASCII", 2, kNoPeriod) +
                  "\nValue= ABCDEFGH\nInvalid timestamp" + kGood + "\n" +
                  "\nValue= AB      \nInvalid timestamp" + kGood + "\n");
    EXPECT_EQ(read.values, before);
}

struct NameCase {
    const char *what;
    int32_t stride;
    std::string names;
    std::string first;
    std::string second;
};

TEST_F(HistoricalValueReport, NamesStepPastTheirNulButNoFurtherThanTheStride) {
    const NameCase cases[] = {
        {"packed names, stride 40", 40, std::string("ABCDE\0FG\0", 9), "ABCDE", "FG"},
        {"padded 40-byte entries", 40, compact_entry("ABCDE") + compact_entry("FG"),
         "ABCDE" + std::string(34, ' '), "FG" + std::string(37, ' ')},
        {"an entry of 40 blanks without a NUL", 40, std::string(40, ' ') + compact_entry("FG"),
         std::string(40, ' '), "FG" + std::string(37, ' ')},
        {"packed names, stride 256", 256, std::string("ABCDE\0FG\0", 9), "ABCDE", "FG"},
        {"a stride shorter than the name", 5, std::string("ABCDEFGH\0", 9), "ABCDE", "FGH"},
        {"no stride set", 0, std::string("ABCDE\0FG\0", 9), "ABCDE", "FG"},
    };
    for (const NameCase &c : cases) {
        tag_name_stride = c.stride;
        HistoricalRead read = plain_read(2, 0);
        read.names = c.names;
        read.descriptors = {{7, 0, 2, 1}, {4, 4, 4, 1}, {4, 4, 4, 1}};
        read.values = {0};
        EXPECT_EQ(read.print(2), "\n" + header(c.first, "\nType: LONG", 0, kNoPeriod) +
                                     header(c.second, "\nType: LONG", 0, kNoPeriod))
            << c.what;
    }
}

TEST_F(HistoricalValueReport, WithoutDescriptorsTheFirstShownValueEndsTheReport) {
    HistoricalRead read = plain_read(3, 1);
    tag_name_stride = 0;
    read.names = std::string("T1\0T2\0T3\0", 9);
    read.values = std::vector<unsigned char>(16, 0);
    read.statuses = {{-6, 0, 0}, {-1, 0, 0}, {-1, 0, 0}, {-1, 0, 0}};
    read.timestamps.assign(4, kInvalidTime);
    read.value_counts = {0, 3, 1};
    read.value_limits = {5, 5, 1};
    EXPECT_EQ(read.print(3),
              "\n" + header("T1", "", 0, kNoPeriod) + header("T2", "", 3, kNoPeriod) +
                  "\nValue is not displayed due to bad status, status code=-6"
                  "\nInvalid timestamp\nStatus is BAD (-6)\nFacility=0\nDriver Status=0\n"
                  "\nUnknown data type");
}

TEST_F(HistoricalValueReport, AnUnknownDataTypeEndsTheReport) {
    HistoricalRead read = plain_read(2, 1);
    tag_name_stride = 0;
    read.names = std::string("ODD\0NEXT\0", 9);
    read.descriptors = {{7, 0, 2, 1}, {9, 0, 4, 1}, {4, 4, 4, 1}};
    read.values = std::vector<unsigned char>(8, 0);
    EXPECT_EQ(read.print(2),
              "\n" + header("ODD", "\nType: UNKNOWN TYPE", 1, kNoPeriod) + "\nUnknown data type");
}

TEST_F(HistoricalValueReport, AStructureSkipsItsSize) {
    HistoricalRead read = plain_read(2, 1);
    tag_name_stride = 0;
    read.names = std::string("BLOCK\0COUNT\0", 12);
    read.descriptors = {{7, 0, 2, 1}, {7, 7, 20, 1}, {4, 4, 4, 1}};
    read.values = std::vector<unsigned char>(20, 0xAB);
    append<int32_t>(read.values, 42);
    EXPECT_EQ(read.print(2), "\n" + header("BLOCK", "\nType: STRUCTURE", 1, kNoPeriod) +
                                 "\nStructures are currently not supported\nInvalid timestamp" +
                                 kGood + "\n" + header("COUNT", "\nType: LONG", 1, kNoPeriod) +
                                 "\nValue= 42\nInvalid timestamp" + kGood + "\n");
}

TEST_F(HistoricalValueReport, InvalidStartEndAndValueTimes) {
    HistoricalRead read = plain_read(1, 1);
    read.names = compact_entry("T");
    read.descriptors = {{7, 0, 1, 1}, {6, 6, 8, 1}};
    append(read.values, TimeRecord{5000, 7});
    read.timestamps = {{1000, 5}};
    read.start_times = {{-1, 0}};
    read.end_times = {{0, -5}};
    EXPECT_EQ(read.print(1), "\n" +
                                 header("T" + std::string(38, ' '), "\nType: TIME", 1, kNoPeriod) +
                                 "\nTime Value: Milliseconds= 5000  Seconds= 7"
                                 "\nInvalid timestamp" +
                                 kGood + "\n");
}

TEST_F(HistoricalValueReport, NoTagsPrintTheOpeningLineOnly) {
    HistoricalRead read = plain_read(1, 1);
    read.names = compact_entry("T");
    read.descriptors = {{7, 0, 1, 1}, {4, 4, 4, 1}};
    read.values = std::vector<unsigned char>(4, 0);
    EXPECT_EQ(read.print(0), "\n");
    EXPECT_EQ(read.print(-1), "\n");
}

}  // namespace
