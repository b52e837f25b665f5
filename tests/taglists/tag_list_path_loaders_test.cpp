// load_tag_list_file and load_historical_tag_list_file: the lines they
// take, the number they return, the line of an error, that they print and
// read nothing, and that a full file gives the console loaders' records.
#include <gtest/gtest.h>

#include <algorithm>
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
};

StatusBlock block_of(int32_t code) {
    return code == 0 ? cleared_block() : failed_block(code);
}

// A line of 255 characters without its newline: "A REAL" and blanks.
const std::string kFirstRead = "A REAL" + std::string(249, ' ');

const PathCase kTypesCases[] = {
    {"a file shorter than the room",
     "A REAL\nB LONG\n",
     4,
     2,
     0,
     0,
     compact_layout({"A", "B"}, 2) + untouched_names(2),
     {{7, 0, 2, 1}, {1, 1, 4, 1}, {4, 4, 4, 1}, kU, kU},
     40},
    {"a file as long as the room, its last line without a newline",
     "A REAL\nB LONG\nC SHORT",
     3,
     3,
     0,
     0,
     compact_layout({"A", "B", "C"}, 3),
     {{7, 0, 3, 1}, {1, 1, 4, 1}, {4, 4, 4, 1}, {2, 2, 2, 1}},
     40},
    {"a file longer than the room",
     "A REAL\nB LONG\nC NOT-A-TYPE\n",
     2,
     2,
     0,
     0,
     compact_layout({"A", "B"}, 2),
     {{7, 0, 2, 1}, {1, 1, 4, 1}, {4, 4, 4, 1}},
     40},
    {"an empty file", "", 2, 0, 0, 0, untouched_names(2), {{7, 0, 0, 1}, kU, kU}, 40},
    {"a name of 40 characters",
     "A REAL\n" + std::string(40, 'N') + " LONG\n",
     3,
     2,
     0,
     0,
     full_entry("A", kFill) + full_entry(std::string(40, 'N'), kFill) + untouched_names(1),
     {{7, 0, 2, 1}, {1, 1, 4, 1}, {4, 4, 4, 1}, kU},
     0},
    {"an error on line 3",
     "A REAL\nB LONG\nC FLOAT\nD REAL\n",
     4,
     2,
     10006,
     3,
     full_entry("A", kFill) + full_entry("B", kFill) + untouched_names(2),
     {{7, 0, 2, 1}, {1, 1, 4, 1}, {4, 4, 4, 1}, kU, kU},
     0},
    // The 261 characters of line 1 fill two slots; the error is still on
    // line 2 of the file.
    {"an error on line 2 after a line of two reads",
     kFirstRead + "B LONG\nC FLOAT\n",
     4,
     2,
     10006,
     2,
     full_entry("A", kFill) + full_entry("B", kFill) + untouched_names(2),
     {{7, 0, 2, 1}, {1, 1, 4, 1}, {4, 4, 4, 1}, kU, kU},
     0},
    {"an error on line 1", "A real\n", 1, 0, 10006, 1, untouched_names(1), {{7, 0, 0, 1}, kU}, 0},
};

TEST_F(TagListPathLoads, ReturnTheLinesLoadedAndTheLineOfAnError) {
    for (const PathCase &c : kTypesCases) {
        tag_name_stride = 0;
        const TagListFile file(c.content);
        LoadResult result(c.room);
        run_path_load(result, Given::kTypes, file.path().c_str(), c.room);
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

TEST_F(TagListPathLoads, FilesThatCannotBeReadAndABadCountTouchNothing) {
    const TemporaryDirectory folder("tavlo_folder");
    const std::string missing = folder.file("missing.txt");
    struct Case {
        const char *what;
        const char *path;
        int32_t count;
        int32_t code;
        TypeDescriptor header;  // the file opened: the header is written
    };
    const Case cases[] = {
        {"a missing file", missing.c_str(), 2, 10001, kU},
        {"a null path", nullptr, 2, 10001, kU},
        {"a folder", folder.path().c_str(), 2, 10001, {7, 0, 0, 1}},
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

TEST_F(TagListPathLoads, TheErrorLineMayBeLeftOut) {
    const TagListFile file("A REAL\n");
    LoadResult result(1);
    EXPECT_EQ(
        load_tag_list_file(file.path().c_str(), result.names.data(), result.descriptors.data(),
                           nullptr, nullptr, nullptr, 1, &result.block, nullptr),
        1);
    EXPECT_EQ(result.block, cleared_block());
}

TEST_F(TagListPathLoads, HistoricalListsTakeShortFilesAndGiveTheLineOfAnError) {
    const std::vector<TypeDescriptor> two_loaded = {{7, 0, 2, 1}, {1, 0, 4, 1}, {3, 0, 20, 1}, kU};
    const TagListFile short_file("A 5 REAL\nB 2 ASCII 20\n");
    LoadResult loaded(3);
    run_historical_path_load(loaded, short_file.path().c_str(), 3);
    EXPECT_EQ(loaded.loaded, 2);
    EXPECT_EQ(loaded.block, cleared_block());
    EXPECT_EQ(loaded.error_line, 0);
    EXPECT_EQ(loaded.names, compact_layout({"A", "B"}, 2) + untouched_names(1));
    EXPECT_EQ(loaded.descriptors, two_loaded);
    EXPECT_EQ(loaded.value_counts, (std::vector<int32_t>{5, 2, kUntouchedValueCount}));
    EXPECT_EQ(tag_name_stride, 40);
    EXPECT_EQ(loaded.printed, "");

    // The failing line's descriptor already holds its type, as the console
    // loader leaves it.
    tag_name_stride = 0;
    const TagListFile bad_size("A 5 REAL\nB 1 ASCII 0\nC 1 REAL\n");
    LoadResult failed(3);
    run_historical_path_load(failed, bad_size.path().c_str(), 3);
    EXPECT_EQ(failed.loaded, 1);
    EXPECT_EQ(failed.block, failed_block(10005));
    EXPECT_EQ(failed.error_line, 2);
    EXPECT_EQ(failed.names, full_entry("A", kFill) + untouched_names(2));
    EXPECT_EQ(failed.descriptors,
              (std::vector<TypeDescriptor>{{7, 0, 1, 1}, {1, 0, 4, 1}, {3, 0, -9, 1}, kU}));
    EXPECT_EQ(failed.value_counts,
              (std::vector<int32_t>{5, kUntouchedValueCount, kUntouchedValueCount}));
    EXPECT_EQ(tag_name_stride, 0);
    EXPECT_EQ(failed.printed, "");
}

// A file of exactly `count` lines: the path loaders fill every record as the
// console loaders do.
TEST_F(TagListPathLoads, AFullFileGivesTheConsoleLoadersRecords) {
    struct Case {
        Given given;
        std::string content;
    };
    const std::string long_name(45, 'L');
    const Case cases[] = {
        {Given::kNamesOnly, "A\n\n\"MY TAG\" extra\n"},
        {Given::kTypes, "A REAL\nB ASCII DESC\n" + long_name + " TIME\n"},
        {Given::kValues, "A REAL 1.5 GOOD\nB ASCII \"a b\" NAN\nC TIME 7 SUSPECT DTIME\n"},
        {Given::kDeadbands, "A REAL ABS 2\n\nC LONG REL 0.5 EU\n"},
    };
    for (const Case &c : cases) {
        tag_name_stride = 0;
        const LoadResult console = load_list(c.given, c.content, 3);
        const int32_t console_stride = tag_name_stride;
        tag_name_stride = 0;
        const TagListFile file(c.content);
        LoadResult path(3);
        run_path_load(path, c.given, file.path().c_str(), 3);
        EXPECT_EQ(path.loaded, 3) << c.content;
        EXPECT_EQ(path.block, console.block) << c.content;
        EXPECT_EQ(path.names, console.names) << c.content;
        EXPECT_EQ(path.descriptors, console.descriptors) << c.content;
        EXPECT_EQ(path.values, console.values) << c.content;
        EXPECT_EQ(path.output_types, console.output_types) << c.content;
        EXPECT_EQ(path.deadbands, console.deadbands) << c.content;
        EXPECT_EQ(tag_name_stride, console_stride) << c.content;
    }
    for (const std::string &content :
         {std::string("A 5 REAL\nB 2 ASCII 20\n"), "A 5 REAL\n" + long_name + " 2 LONG\n"}) {
        tag_name_stride = 0;
        const LoadResult console = load_historical_list(content, 2);
        const int32_t console_stride = tag_name_stride;
        tag_name_stride = 0;
        const TagListFile file(content);
        LoadResult path(2);
        run_historical_path_load(path, file.path().c_str(), 2);
        EXPECT_EQ(path.loaded, 2) << content;
        EXPECT_EQ(path.block, console.block) << content;
        EXPECT_EQ(path.names, console.names) << content;
        EXPECT_EQ(path.descriptors, console.descriptors) << content;
        EXPECT_EQ(path.value_counts, console.value_counts) << content;
        EXPECT_EQ(tag_name_stride, console_stride) << content;
    }
}

TEST(TagListErrorText, EveryCodeOfALoadHasWordsOfItsOwn) {
    const std::string other = tag_list_error_text(0);
    std::vector<std::string> seen;
    for (int32_t code = 10001; code <= 10009; ++code) {
        const std::string text = tag_list_error_text(code);
        EXPECT_NE(text, other) << code;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), text), 0) << code;
        seen.push_back(text);
    }
    EXPECT_EQ(tag_list_error_text(10010), other);
    EXPECT_EQ(tag_list_error_text(-1), other);
}

}  // namespace
