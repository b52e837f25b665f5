// load_tag_list: how many lines are read, and the layout of the names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tag_list_loads.h"

namespace {

using namespace tavlo::testing;

class TagListLayout : public ::testing::Test {
protected:
    void SetUp() override { tag_name_stride = 0; }
};

TEST_F(TagListLayout, CountZeroReadsNothingAndSetsTheStride) {
    const LoadResult result = load_list(Given::kTypes, "A REAL\nB LONG\n", 0);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.descriptors, std::vector<TypeDescriptor>({{7, 0, 0, 1}}));
    EXPECT_EQ(result.names, "");
    EXPECT_EQ(tag_name_stride, 40);
}

TEST_F(TagListLayout, LinesAfterCountAreNotRead) {
    const LoadResult result = load_list(Given::kTypes, "A REAL\nB LONG\nC NOT-A-TYPE\n", 2);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.descriptors,
              (std::vector<TypeDescriptor>{{7, 0, 2, 1}, {1, 1, 4, 1}, {4, 4, 4, 1}}));
    EXPECT_EQ(result.names, compact_names({compact_entry("A"), compact_entry("B")}, 2));
}

TEST_F(TagListLayout, FewerLinesThanCountAreStoredThenTooManyTags) {
    const LoadResult result = load_list(Given::kTypes, "A REAL\nB LONG", 4);
    EXPECT_EQ(result.printed, kPrompt + "\nError: Too many tags");
    EXPECT_EQ(result.block, failed_block(10007));
    const std::vector<TypeDescriptor> descriptors = {
        {7, 0, 4, 1}, {1, 1, 4, 1}, {4, 4, 4, 1}, kUntouchedDescriptor, kUntouchedDescriptor};
    EXPECT_EQ(result.descriptors, descriptors);
    // Already in the compact layout: the unread slots are 40 blanks each.
    EXPECT_EQ(result.names, compact_names({compact_entry("A"), compact_entry("B"),
                                           std::string(40, ' '), std::string(40, ' ')},
                                          4));
    EXPECT_EQ(tag_name_stride, 40);
}

TEST_F(TagListLayout, FewerLinesWithALongNameKeepTheFullLayout) {
    const std::string long_name(40, 'L');
    const LoadResult result = load_list(Given::kNamesOnly, "A\n" + long_name + "\n", 3);
    EXPECT_EQ(result.printed, kPrompt + "\nError: Too many tags");
    EXPECT_EQ(result.block, failed_block(10007));
    EXPECT_EQ(result.names,
              full_entry("A", kFill) + full_entry(long_name, kFill) + untouched_names(1));
    EXPECT_EQ(tag_name_stride, 0);
}

TEST_F(TagListLayout, NamesOf39CharactersGetTheCompactLayout) {
    const std::string name39(39, 'N');
    const LoadResult result = load_list(Given::kNamesOnly, name39 + "\nB\n", 2);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.names, compact_names({name39 + '\0', compact_entry("B")}, 2));
    EXPECT_EQ(tag_name_stride, 40);
}

TEST_F(TagListLayout, ANameOf40CharactersKeepsTheFullLayoutAndTheStride) {
    const std::string name40(40, 'N');
    for (const int32_t before : {0, 40, 256}) {
        tag_name_stride = before;
        const LoadResult result = load_list(Given::kTypes, "B REAL\n" + name40 + " LONG\n", 2);
        EXPECT_EQ(result.printed, kPrompt);
        EXPECT_EQ(result.block, cleared_block());
        EXPECT_EQ(result.names, full_entry("B", kFill) + full_entry(name40, kFill));
        EXPECT_EQ(tag_name_stride, before);
    }
}

TEST_F(TagListLayout, ALineOf300CharactersIsTakenAsTwoLines) {
    const std::string first(255, 'a');
    const std::string rest(45, 'b');
    const LoadResult result = load_list(Given::kNamesOnly, first + rest + "\nC\n", 3);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.names,
              full_entry(first, kFill) + full_entry(rest, kFill) + full_entry("C", kFill));
    EXPECT_EQ(tag_name_stride, 0);
}

TEST_F(TagListLayout, ALongLineTakesTwoSlotsInTheTypesFormatToo) {
    // 255 characters: the name and "REAL" padded with blanks; then the
    // rest, "LONG", starts the next line, whose name it is.
    std::string line = "A REAL";
    line.resize(255, ' ');
    const LoadResult result = load_list(Given::kTypes, line + "LONG DOUBLE\n", 2);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.descriptors,
              (std::vector<TypeDescriptor>{{7, 0, 2, 1}, {1, 1, 4, 1}, {5, 5, 8, 1}}));
    EXPECT_EQ(result.names, compact_names({compact_entry("A"), compact_entry("LONG")}, 2));
}

TEST_F(TagListLayout, NamesAreWrittenOverTheCallersBytesUpToByte255) {
    // A long name keeps the 256-byte layout: the bytes between a short name
    // and byte 255 stay as the caller had them.
    const std::string long_name(50, 'Q');
    const LoadResult result = load_list(Given::kNamesOnly, "AB\n" + long_name + "\n", 2);
    std::string expected = "AB" + std::string(253, kFill) + '\0';
    expected += long_name + std::string(205, kFill) + '\0';
    EXPECT_EQ(result.names, expected);
}

}  // namespace
