// load_tag_list_file and load_historical_tag_list_file: the lines they
// take, the number they return, the line of an error, that they print and
// read nothing, and that a full file gives the console loaders' records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tag_list_loads.h"

namespace {

using namespace tavlo::testing;

constexpr TypeDescriptor kU = kUntouchedDescriptor;

class TagListPathLoads : public ::testing::Test {
protected:
    void SetUp() override { tag_name_stride = 0; }
};

struct PathCase {
    const char *what;
    std::string content;
    int32_t room;
    int32_t loaded;
    int32_t code;  // 0: no error
    int32_t line;
    std::string names;
    std::vector<TypeDescriptor> descriptors;
    int32_t stride;
    std::vector<int32_t> value_counts;  // none: a load_tag_list_file case
};

StatusBlock block_of(int32_t code) {
    return code == 0 ? cleared_block() : failed_block(code);
}

// The header for `header` tags, the tags' entries, then untouched entries
// up to `room`.
std::vector<TypeDescriptor> described(int32_t header, const std::vector<TypeDescriptor> &tags,
                                      int32_t room) {
    std::vector<TypeDescriptor> all = {{7, 0, header, 1}};
    all.insert(all.end(), tags.begin(), tags.end());
    all.resize(static_cast<std::size_t>(room) + 1, kU);
    return all;
}

const std::vector<std::string> kAB = {"A", "B"};
const std::vector<std::string> kABC = {"A", "B", "C"};
const std::vector<TypeDescriptor> kNone;
const std::vector<TypeDescriptor> kRealLong = {{1, 1, 4, 1}, {4, 4, 4, 1}};
const std::vector<TypeDescriptor> kRealLongShort = {{1, 1, 4, 1}, {4, 4, 4, 1}, {2, 2, 2, 1}};
const std::vector<TypeDescriptor> kHistoricalAB = {{1, 0, 4, 1}, {3, 0, 20, 1}};
// The failing line's descriptor already holds its type, as the console
// loader leaves it.
const std::vector<TypeDescriptor> kHistoricalBadSize = {{1, 0, 4, 1}, {3, 0, -9, 1}};
const std::vector<int32_t> kNoCounts;
const std::vector<int32_t> kCountsAB = {5, 2, kUntouchedValueCount};
const std::vector<int32_t> kCountsA = {5, kUntouchedValueCount, kUntouchedValueCount};

// A line of 255 characters without its newline: "A REAL" and blanks.
const std::string kFirstRead = "A REAL" + std::string(249, ' ');
const std::string kName40(40, 'N');

const PathCase kCases[] = {
    {"a file shorter than the room", "A REAL\nB LONG\n", 4, 2, 0, 0,
     compact_layout(kAB, 2) + untouched_names(2), described(2, kRealLong, 4), 40, kNoCounts},
    {"a file as long as the room, its last line without a newline", "A REAL\nB LONG\nC SHORT", 3, 3,
     0, 0, compact_layout(kABC, 3), described(3, kRealLongShort, 3), 40, kNoCounts},
    {"a file longer than the room", "A REAL\nB LONG\nC NOT-A-TYPE\n", 2, 2, 0, 0,
     compact_layout(kAB, 2), described(2, kRealLong, 2), 40, kNoCounts},
    {"an empty file", "", 2, 0, 0, 0, untouched_names(2), described(0, kNone, 2), 40, kNoCounts},
    {"a name of 40 characters", "A REAL\n" + kName40 + " LONG\n", 3, 2, 0, 0,
     full_entry("A", kFill) + full_entry(kName40, kFill) + untouched_names(1),
     described(2, kRealLong, 3), 0, kNoCounts},
    {"an error on line 3", "A REAL\nB LONG\nC FLOAT\nD REAL\n", 4, 2, 10006, 3,
     full_entry("A", kFill) + full_entry("B", kFill) + untouched_names(2),
     described(2, kRealLong, 4), 0, kNoCounts},
    // The 261 characters of line 1 fill two slots; the error is still on
    // line 2 of the file.
    {"an error on line 2 after a line of two reads", kFirstRead + "B LONG\nC FLOAT\n", 4, 2, 10006,
     2, full_entry("A", kFill) + full_entry("B", kFill) + untouched_names(2),
     described(2, kRealLong, 4), 0, kNoCounts},
    {"an error on line 1", "A real\n", 1, 0, 10006, 1, untouched_names(1), described(0, kNone, 1),
     0, kNoCounts},
    {"historical: a file shorter than the room", "A 5 REAL\nB 2 ASCII 20\n", 3, 2, 0, 0,
     compact_layout(kAB, 2) + untouched_names(1), described(2, kHistoricalAB, 3), 40, kCountsAB},
    {"historical: an error on line 2", "A 5 REAL\nB 1 ASCII 0\nC 1 REAL\n", 3, 1, 10005, 2,
     full_entry("A", kFill) + untouched_names(2), described(1, kHistoricalBadSize, 3), 0, kCountsA},
};

TEST_F(TagListPathLoads, ReturnTheLinesLoadedAndTheLineOfAnError) {
    for (const PathCase &c : kCases) {
        tag_name_stride = 0;
        const TagListFile file(c.content);
        LoadResult result(c.room);
        if (c.value_counts.empty()) {
            run_path_load(result, Given::kTypes, file.path().c_str(), c.room);
        } else {
            run_historical_path_load(result, file.path().c_str(), c.room);
            EXPECT_EQ(result.value_counts, c.value_counts) << c.what;
        }
        EXPECT_EQ(result.loaded, c.loaded) << c.what;
        EXPECT_EQ(result.block, block_of(c.code)) << c.what;
        EXPECT_EQ(result.error_line, c.line) << c.what;
        EXPECT_EQ(result.names, c.names) << c.what;
        EXPECT_EQ(result.descriptors, c.descriptors) << c.what;
        EXPECT_EQ(tag_name_stride, c.stride) << c.what;
        EXPECT_EQ(result.printed, "") << c.what;
        EXPECT_EQ(result.unread_input, kWaitingInput) << c.what;
    }
}

TEST_F(TagListPathLoads, FilesThatCannotBeReadAndABadCountLoadNothing) {
    const TemporaryDirectory folder("tavlo_folder");
    const std::string missing = folder.file("missing.txt");
    struct Case {
        const char *what;
        const char *path;
        int32_t count;
        int32_t code;
        TypeDescriptor header;  // written once the file is open
    };
    const TypeDescriptor no_tags = {7, 0, 0, 1};
    const Case cases[] = {
        {"a missing file", missing.c_str(), 2, 10001, kU},
        {"a null path", nullptr, 2, 10001, kU},
        {"a folder", folder.path().c_str(), 2, 10001, kU},
        // Address 0 is never mapped: the process's memory read from its
        // start fails.
        {"a file that cannot be read", "/proc/self/mem", 2, 10001, no_tags},
        {"a negative count", missing.c_str(), -1, 10009, kU},
    };
    for (const Case &c : cases) {
        for (const bool historical : {false, true}) {
            LoadResult result(2);
            if (historical) {
                run_historical_path_load(result, c.path, c.count);
            } else {
                run_path_load(result, Given::kValues, c.path, c.count);
            }
            EXPECT_EQ(result.loaded, 0) << c.what;
            EXPECT_EQ(result.block, failed_block(c.code)) << c.what;
            EXPECT_EQ(result.error_line, 0) << c.what;
            EXPECT_EQ(result.names, untouched_names(2)) << c.what;
            EXPECT_EQ(result.descriptors, (std::vector<TypeDescriptor>{c.header, kU, kU}))
                << c.what;
            EXPECT_EQ(result.values, std::vector<unsigned char>(2 * 1200, kUntouchedByte));
            EXPECT_EQ(tag_name_stride, 0) << c.what;
            EXPECT_EQ(result.printed, "") << c.what;
            EXPECT_EQ(result.unread_input, kWaitingInput) << c.what;
        }
    }
}

// A file of exactly `count` lines: the path loaders fill every record as the
// console loaders do.
TEST_F(TagListPathLoads, AFullFileGivesTheConsoleLoadersRecords) {
    struct Case {
        bool historical;
        Given given;
        std::string content;
    };
    const std::string long_name(45, 'L');
    const Case cases[] = {
        {false, Given::kNamesOnly, "A\n\n\"MY TAG\" extra\n"},
        {false, Given::kTypes, "A REAL\nB ASCII DESC\n" + long_name + " TIME\n"},
        {false, Given::kValues, "A REAL 1.5 GOOD\nB ASCII \"a b\" NAN\nC TIME 7 SUSPECT DTIME\n"},
        {false, Given::kDeadbands, "A REAL ABS 2\n\nC LONG REL 0.5 EU\n"},
        {true, Given::kTypes, "A 5 REAL\nB 2 ASCII 20\nC x TIME\n"},
        {true, Given::kTypes, "A 5 REAL\n" + long_name + " 2 LONG\nC 1 SHORT\n"},
    };
    for (const Case &c : cases) {
        tag_name_stride = 0;
        const LoadResult console =
            c.historical ? load_historical_list(c.content, 3) : load_list(c.given, c.content, 3);
        const int32_t console_stride = tag_name_stride;
        tag_name_stride = 0;
        const TagListFile file(c.content);
        LoadResult path(3);
        if (c.historical) {
            run_historical_path_load(path, file.path().c_str(), 3);
        } else {
            run_path_load(path, c.given, file.path().c_str(), 3);
        }
        EXPECT_EQ(path.loaded, 3) << c.content;
        EXPECT_EQ(path.block, console.block) << c.content;
        EXPECT_EQ(path.names, console.names) << c.content;
        EXPECT_EQ(path.descriptors, console.descriptors) << c.content;
        EXPECT_EQ(path.values, console.values) << c.content;
        EXPECT_EQ(path.output_types, console.output_types) << c.content;
        EXPECT_EQ(path.deadbands, console.deadbands) << c.content;
        EXPECT_EQ(path.value_counts, console.value_counts) << c.content;
        EXPECT_EQ(tag_name_stride, console_stride) << c.content;
    }
}

}  // namespace
