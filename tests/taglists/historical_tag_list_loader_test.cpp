// load_historical_tag_list: lines, ASCII sizes, value counts, errors and
// the layout of the names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "console_capture.h"
#include "tag_list_loads.h"

namespace {

using namespace tavlo::testing;

class HistoricalTagList : public ::testing::Test {
protected:
    void SetUp() override { tag_name_stride = 0; }
};

TEST_F(HistoricalTagList, LinesGiveValueCountDataTypeAndSize) {
    const LoadResult result = load_historical_list(
        "TEXT1 100 ASCII 80\nLEVEL3 25 REAL\nTEXT2 10 ASCII\n\"MY TAG\"\t7\tLONG 99\n", 4);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    const std::vector<TypeDescriptor> descriptors = {
        {7, 0, 4, 1}, {3, 0, 80, 1}, {1, 0, 4, 1}, {3, 0, 1200, 1}, {4, 0, 4, 1}};
    EXPECT_EQ(result.descriptors, descriptors);
    EXPECT_EQ(result.value_counts, (std::vector<int32_t>{100, 25, 10, 7}));
    EXPECT_EQ(result.names, compact_names({compact_entry("TEXT1"), compact_entry("LEVEL3"),
                                           compact_entry("TEXT2"), compact_entry("MY TAG")},
                                          4));
    EXPECT_EQ(tag_name_stride, 40);
}

TEST_F(HistoricalTagList, EveryEntryHasDeviceDataTypeZero) {
    const LoadResult result =
        load_historical_list("R 1 REAL\nS 2 SHORT\nA 3 ASCII\nL 4 LONG\nD 5 DOUBLE\nT 6 TIME\n", 6);
    EXPECT_EQ(result.printed, kPrompt);
    const std::vector<TypeDescriptor> descriptors = {{7, 0, 6, 1},    {1, 0, 4, 1}, {2, 0, 2, 1},
                                                     {3, 0, 1200, 1}, {4, 0, 4, 1}, {5, 0, 8, 1},
                                                     {6, 0, 8, 1}};
    EXPECT_EQ(result.descriptors, descriptors);
    EXPECT_EQ(result.value_counts, (std::vector<int32_t>{1, 2, 3, 4, 5, 6}));
}

TEST_F(HistoricalTagList, ASizeTokenCountsForAsciiOnly) {
    const LoadResult result = load_historical_list("L 5 LONG 99\nD 5 DOUBLE 0\nS 5 SHORT -3\n", 3);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.descriptors, (std::vector<TypeDescriptor>{
                                      {7, 0, 3, 1}, {4, 0, 4, 1}, {5, 0, 8, 1}, {2, 0, 2, 1}}));
}

struct SizeCase {
    const char *size_token;
    int32_t size;         // when accepted
    const char *message;  // when not
};

TEST_F(HistoricalTagList, AsciiSizes) {
    const SizeCase cases[] = {
        {"", 1200, nullptr},
        {"20", 20, nullptr},
        {"5000", 5000, nullptr},
        {"99999999999", 2147483647, nullptr},
        {"0", 0, "\nError: Zero data size for tag 'B'"},
        {"letters", 0, "\nError: Zero data size for tag 'B'"},
        {"-3", 0, "\nError: Negative data size for tag 'B'"},
        {"-99999999999", 0, "\nError: Negative data size for tag 'B'"},
    };
    for (const SizeCase &c : cases) {
        tag_name_stride = 0;
        const std::string content =
            "A 3 REAL\nB 7 ASCII " + std::string(c.size_token) + "\nC 9 LONG\n";
        const LoadResult result = load_historical_list(content, 3);
        if (c.message == nullptr) {
            EXPECT_EQ(result.printed, kPrompt) << c.size_token;
            EXPECT_EQ(result.block, cleared_block()) << c.size_token;
            EXPECT_EQ(result.descriptors[2], (TypeDescriptor{3, 0, c.size, 1})) << c.size_token;
            EXPECT_EQ(result.value_counts, (std::vector<int32_t>{3, 7, 9})) << c.size_token;
            continue;
        }
        EXPECT_EQ(result.printed, kPrompt + c.message) << c.size_token;
        EXPECT_EQ(result.block, failed_block(10005)) << c.size_token;
        // The failing slot has its types but not its size; its name and
        // value count are not stored; nothing after it is read.
        const std::vector<TypeDescriptor> descriptors = {
            {7, 0, 3, 1}, {1, 0, 4, 1}, {3, 0, kUntouchedDescriptor.size, 1}, kUntouchedDescriptor};
        EXPECT_EQ(result.descriptors, descriptors) << c.size_token;
        EXPECT_EQ(result.value_counts,
                  (std::vector<int32_t>{3, kUntouchedValueCount, kUntouchedValueCount}))
            << c.size_token;
        EXPECT_EQ(result.names, full_entry("A", kFill) + untouched_names(2)) << c.size_token;
        EXPECT_EQ(tag_name_stride, 0) << c.size_token;
    }
}

TEST_F(HistoricalTagList, AMissingOrNonNumericValueCountIsZero) {
    const LoadResult result =
        load_historical_list("A \"\" REAL\nB none LONG\nC 12abc SHORT\nD 99999999999 TIME\n", 4);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.value_counts, (std::vector<int32_t>{0, 0, 12, 2147483647}));
}

TEST_F(HistoricalTagList, DataTypeErrors) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "\nError in data type for tag ''"},
        {"B 5 real", "\nError in data type for tag 'B'"},
        {"B 5 STRUCTURE", "\nError in data type for tag 'B'"},
        {"B 5", "\nError in data type for tag 'B'"},
        {"B REAL", "\nError in data type for tag 'B'"},
        {"B 5 ENUM", "\nError in data type for tag 'B'"},
    };
    for (const auto &[line, message] : cases) {
        const LoadResult result = load_historical_list("A 3 REAL\n" + line + "\nC 1 LONG\n", 3);
        EXPECT_EQ(result.printed, kPrompt + message) << line;
        EXPECT_EQ(result.block, failed_block(10006)) << line;
        EXPECT_EQ(result.descriptors,
                  (std::vector<TypeDescriptor>{
                      {7, 0, 3, 1}, {1, 0, 4, 1}, kUntouchedDescriptor, kUntouchedDescriptor}))
            << line;
        EXPECT_EQ(result.value_counts,
                  (std::vector<int32_t>{3, kUntouchedValueCount, kUntouchedValueCount}))
            << line;
        EXPECT_EQ(result.names, full_entry("A", kFill) + untouched_names(2)) << line;
        EXPECT_EQ(tag_name_stride, 0) << line;
    }
}

TEST_F(HistoricalTagList, FewerLinesKeepTheFullLayout) {
    const LoadResult result = load_historical_list("A 3 REAL\nB 4 LONG\n", 3);
    EXPECT_EQ(result.printed, kPrompt + "\nError: Too many tags");
    EXPECT_EQ(result.block, failed_block(10007));
    EXPECT_EQ(result.descriptors,
              (std::vector<TypeDescriptor>{
                  {7, 0, 3, 1}, {1, 0, 4, 1}, {4, 0, 4, 1}, kUntouchedDescriptor}));
    EXPECT_EQ(result.value_counts, (std::vector<int32_t>{3, 4, kUntouchedValueCount}));
    EXPECT_EQ(result.names, full_entry("A", kFill) + full_entry("B", kFill) + untouched_names(1));
    EXPECT_EQ(tag_name_stride, 0);
}

TEST_F(HistoricalTagList, CountZeroReadsNothingAndSetsTheStride) {
    const LoadResult result = load_historical_list("A 3 REAL\n", 0);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.descriptors, std::vector<TypeDescriptor>({{7, 0, 0, 1}}));
    EXPECT_EQ(tag_name_stride, 40);
}

TEST_F(HistoricalTagList, LinesAfterCountAreNotRead) {
    const LoadResult result = load_historical_list("A 3 REAL\nB 4 NOTYPE\n", 1);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.names, compact_names({compact_entry("A")}, 1));
    EXPECT_EQ(tag_name_stride, 40);
}

TEST_F(HistoricalTagList, ANameOf40CharactersKeepsTheFullLayout) {
    const std::string name40(40, 'H');
    const LoadResult result = load_historical_list("A 1 REAL\n" + name40 + " 2 LONG\n", 2);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.names, full_entry("A", kFill) + full_entry(name40, kFill));
    EXPECT_EQ(tag_name_stride, 0);
}

TEST_F(HistoricalTagList, ALineOf300CharactersIsTakenAsTwoLines) {
    // The first 255 characters: name, count, type, blanks; the other 45
    // begin with "B 2 LONG".
    std::string first = "A 1 REAL";
    first.resize(255, ' ');
    const std::string rest = "B 2 LONG" + std::string(37, ' ');
    const LoadResult result = load_historical_list(first + rest + "\n", 2);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.descriptors,
              (std::vector<TypeDescriptor>{{7, 0, 2, 1}, {1, 0, 4, 1}, {4, 0, 4, 1}}));
    EXPECT_EQ(result.value_counts, (std::vector<int32_t>{1, 2}));
}

TEST_F(HistoricalTagList, AFileThatCannotBeOpened) {
    LoadResult result(1);
    run_historical_load(result, "/nonexistent/tavlo/history.txt\n", 1);
    EXPECT_EQ(result.printed,
              kPrompt + "\nError opening tag list file '/nonexistent/tavlo/history.txt'");
    EXPECT_EQ(result.block, failed_block(10001));
    EXPECT_EQ(result.descriptors, std::vector<TypeDescriptor>(2, kUntouchedDescriptor));
    EXPECT_EQ(result.names, untouched_names(1));
    EXPECT_EQ(tag_name_stride, 0);
}

TEST_F(HistoricalTagList, ANegativeCountTouchesNothing) {
    LoadResult result(1);
    ConsoleCapture capture("never read\n");
    load_historical_tag_list(result.names.data(), result.descriptors.data(),
                             result.value_counts.data(), -5, &result.block);
    EXPECT_EQ(capture.output(), "");
    EXPECT_EQ(capture.unread_input(), "never read\n");
    EXPECT_EQ(result.block, failed_block(10009));
    EXPECT_EQ(result.descriptors, std::vector<TypeDescriptor>(2, kUntouchedDescriptor));
    EXPECT_EQ(result.value_counts, std::vector<int32_t>{kUntouchedValueCount});
    EXPECT_EQ(result.names, untouched_names(1));
}

}  // namespace
