// load_tag_list: the four line formats, their keywords, sizes and values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "console_capture.h"
#include "tag_list_loads.h"

namespace {

using namespace tavlo::testing;

class TagListFormats : public ::testing::Test {
protected:
    void SetUp() override { tag_name_stride = 0; }
};

// What every load without error leaves: the prompt only, a cleared block,
// the compact layout.
void expect_clean_load(const LoadResult &result) {
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(tag_name_stride, 40);
}

TEST_F(TagListFormats, NamesOnlyTakesTheFirstTokenOfEachLine) {
    const LoadResult result =
        load_list(Given::kNamesOnly, "TANK7 REAL\n\"MY TAG\" anything else\n\tLAST\n", 3);
    expect_clean_load(result);
    EXPECT_EQ(
        result.names,
        compact_names({compact_entry("TANK7"), compact_entry("MY TAG"), compact_entry("LAST")}, 3));
    EXPECT_EQ(result.descriptors, std::vector<TypeDescriptor>(4, kUntouchedDescriptor));
}

TEST_F(TagListFormats, TypesGiveDataTypeDeviceDataTypeAndSize) {
    const LoadResult result = load_list(Given::kTypes,
                                        "FLOW1 REAL DOUBLE\n"
                                        "LEVEL SHORT\n"
                                        "TEXT ASCII DESC\n"
                                        "COUNT LONG ENUM extra tokens\n"
                                        "D DOUBLE\n"
                                        "T TIME DTIME\n",
                                        6);
    expect_clean_load(result);
    const std::vector<TypeDescriptor> expected = {{7, 0, 6, 1},     {1, 5, 4, 1}, {2, 2, 2, 1},
                                                  {3, 15, 1200, 1}, {4, 8, 4, 1}, {5, 5, 8, 1},
                                                  {6, 10, 8, 1}};
    EXPECT_EQ(result.descriptors, expected);
    EXPECT_EQ(result.names,
              compact_names({compact_entry("FLOW1"), compact_entry("LEVEL"), compact_entry("TEXT"),
                             compact_entry("COUNT"), compact_entry("D"), compact_entry("T")},
                            6));
}

TEST_F(TagListFormats, EveryDeviceDataTypeKeyword) {
    const std::vector<std::pair<std::string, int16_t>> keywords = {
        {"REAL", 1},  {"SHORT", 2}, {"ASCII", 3},   {"LONG", 4},   {"DOUBLE", 5},
        {"TIME", 6},  {"ENUM", 8},  {"ORDINAL", 9}, {"DTIME", 10}, {"EXTID", 11},
        {"CBAW", 12}, {"CBST", 13}, {"EU", 14},     {"DESC", 15}};
    std::string content;
    std::vector<TypeDescriptor> expected = {{7, 0, static_cast<int32_t>(keywords.size()), 1}};
    for (const auto &[keyword, code] : keywords) {
        content += "N LONG " + keyword + "\n";
        expected.push_back({4, code, 4, 1});
    }
    const LoadResult result =
        load_list(Given::kTypes, content, static_cast<int32_t>(keywords.size()));
    expect_clean_load(result);
    EXPECT_EQ(result.descriptors, expected);
}

TEST_F(TagListFormats, AValueBufferWithoutOutputTypesGivesTheTypesFormat) {
    const TagListFile file("MSG1 ASCII DESC\n");
    LoadResult with_values(1);
    with_values.printed = capture_stdout(
        [&] {
            load_tag_list(with_values.names.data(), with_values.descriptors.data(),
                          with_values.values.data(), nullptr, nullptr, 1, &with_values.block);
        },
        file.answer());
    expect_clean_load(with_values);
    const std::vector<TypeDescriptor> expected = {{7, 0, 1, 1}, {3, 15, 1200, 1}};
    EXPECT_EQ(with_values.descriptors, expected);
    EXPECT_EQ(with_values.values, std::vector<unsigned char>(1200, kUntouchedByte));
}

TEST_F(TagListFormats, ValuesAreAppendedBackToBack) {
    const LoadResult result =
        load_list(Given::kValues, "MSG1 ASCII hello GOOD\nCOUNT2 LONG -12 SUSPECT EU\n", 2);
    expect_clean_load(result);
    const std::vector<TypeDescriptor> expected = {{7, 0, 2, 1}, {3, 3, 5, 1}, {4, 14, 4, 1}};
    EXPECT_EQ(result.descriptors, expected);
    std::vector<unsigned char> packed = {'h', 'e', 'l', 'l', 'o'};
    const auto minus_twelve = bytes_of<int32_t>(-12);
    packed.insert(packed.end(), minus_twelve.begin(), minus_twelve.end());
    packed.resize(2 * 1200, kUntouchedByte);
    EXPECT_EQ(result.values, packed);
    EXPECT_EQ(result.output_types, (std::vector<OutputType>{0, 3}));
    EXPECT_EQ(result.names, compact_names({compact_entry("MSG1"), compact_entry("COUNT2")}, 2));
}

struct ValueCase {
    std::string line;
    TypeDescriptor descriptor;
    std::vector<unsigned char> bytes;
    OutputType output_type;
};

TEST_F(TagListFormats, EachDataTypeConvertsItsValue) {
    const std::vector<ValueCase> cases = {
        {"R REAL 2.5 GOOD", {1, 1, 4, 1}, bytes_of(2.5f), 0},
        {"R REAL -0.125 NAN", {1, 1, 4, 1}, bytes_of(-0.125f), 1},
        {"R REAL abc NONE", {1, 1, 4, 1}, bytes_of(0.0f), 2},
        {"S SHORT -7 SUSPECT", {2, 2, 2, 1}, bytes_of<int16_t>(-7), 3},
        {"S SHORT 70000 GOOD", {2, 2, 2, 1}, bytes_of<int16_t>(4464), 0},
        {"L LONG 12abc GOOD", {4, 4, 4, 1}, bytes_of<int32_t>(12), 0},
        {"L LONG 2147483647 GOOD ORDINAL", {4, 9, 4, 1}, bytes_of<int32_t>(2147483647), 0},
        {"D DOUBLE 1e6 GOOD", {5, 5, 8, 1}, bytes_of(1e6), 0},
        {"D DOUBLE -2.75 GOOD REAL", {5, 1, 8, 1}, bytes_of(-2.75), 0},
        {"T TIME 0 GOOD", {6, 6, 8, 1}, std::vector<unsigned char>(8, 0), 0},
        {"T TIME 3600 GOOD", {6, 6, 8, 1}, bytes_of(TimeRecord{0, 3600}), 0},
        {"A ASCII \"ab c\" GOOD", {3, 3, 4, 1}, text_bytes("ab c"), 0},
        {"A ASCII x GOOD ENUM", {3, 8, 1, 1}, text_bytes("x"), 0},
        {"A ASCII 12.5 NONE", {3, 3, 4, 1}, text_bytes("12.5"), 2},
    };
    for (const ValueCase &c : cases) {
        const LoadResult result = load_list(Given::kValues, c.line + "\n", 1);
        expect_clean_load(result);
        EXPECT_EQ(result.descriptors, (std::vector<TypeDescriptor>{{7, 0, 1, 1}, c.descriptor}))
            << c.line;
        std::vector<unsigned char> packed = c.bytes;
        packed.resize(1200, kUntouchedByte);  // nothing written after the value
        EXPECT_EQ(result.values, packed) << c.line;
        EXPECT_EQ(result.output_types, std::vector<OutputType>{c.output_type}) << c.line;
    }
}

TEST_F(TagListFormats, DeadbandsGiveTypeAndValue) {
    const LoadResult result = load_list(Given::kDeadbands,
                                        "TEMP1 REAL REL 2.5\n"
                                        "P LONG ABS 10 EU\n"
                                        "A ASCII ABS letters\n"
                                        "B SHORT REL\n",
                                        4);
    expect_clean_load(result);
    const std::vector<TypeDescriptor> expected = {
        {7, 0, 4, 1}, {1, 1, 4, 1}, {4, 14, 4, 1}, {3, 3, 1200, 1}, {2, 2, 2, 1}};
    EXPECT_EQ(result.descriptors, expected);
    const std::vector<Deadband> deadbands = {{2, 2.5f}, {1, 10.0f}, {1, 0.0f}, {2, 0.0f}};
    EXPECT_EQ(result.deadbands, deadbands);
    EXPECT_EQ(result.names, compact_names({compact_entry("TEMP1"), compact_entry("P"),
                                           compact_entry("A"), compact_entry("B")},
                                          4));
}

TEST_F(TagListFormats, DeadbandsIgnoreOutputTypesAndValues) {
    const TagListFile file("TEMP1 REAL REL 2.5\n");
    LoadResult result(1);
    result.printed = capture_stdout(
        [&] {
            load_tag_list(result.names.data(), result.descriptors.data(), result.values.data(),
                          result.output_types.data(), result.deadbands.data(), 1, &result.block);
        },
        file.answer());
    expect_clean_load(result);
    EXPECT_EQ(result.deadbands, std::vector<Deadband>({{2, 2.5f}}));
    EXPECT_EQ(result.values, std::vector<unsigned char>(1200, kUntouchedByte));
    EXPECT_EQ(result.output_types, std::vector<OutputType>{kUntouchedOutputType});
}

TEST_F(TagListFormats, ADeadbandsLineWithoutADataTypeIsSkipped) {
    const LoadResult result = load_list(Given::kDeadbands, "A REAL ABS 1\nNAME\nC REAL REL 3\n", 3);
    expect_clean_load(result);
    const std::vector<TypeDescriptor> expected = {
        {7, 0, 3, 1}, {1, 1, 4, 1}, kUntouchedDescriptor, {1, 1, 4, 1}};
    EXPECT_EQ(result.descriptors, expected);
    EXPECT_EQ(result.deadbands, std::vector<Deadband>({{1, 1.0f}, kUntouchedDeadband, {2, 3.0f}}));
    EXPECT_EQ(result.names,
              compact_names({compact_entry("A"), std::string(40, ' '), compact_entry("C")}, 3));
}

TEST_F(TagListFormats, BlankLinesLeaveTheirSlotInNamesOnlyAndDeadbands) {
    const LoadResult names = load_list(Given::kNamesOnly, "A\n\n  \t\nD\n", 4);
    expect_clean_load(names);
    // An untouched slot in the compact layout: 40 blanks, no NUL.
    EXPECT_EQ(names.names, compact_names({compact_entry("A"), std::string(40, ' '),
                                          std::string(40, ' '), compact_entry("D")},
                                         4));

    const LoadResult deadbands = load_list(Given::kDeadbands, "A REAL ABS 1\n\nC REAL REL 2\n", 3);
    expect_clean_load(deadbands);
    EXPECT_EQ(deadbands.descriptors[2], kUntouchedDescriptor);
    EXPECT_EQ(deadbands.deadbands[1], kUntouchedDeadband);
    EXPECT_EQ(deadbands.names,
              compact_names({compact_entry("A"), std::string(40, ' '), compact_entry("C")}, 3));
}

TEST_F(TagListFormats, QuotedNamesKeepTheirBlanksAndLoseTheirQuotes) {
    const LoadResult result =
        load_list(Given::kTypes, "\"TANK 7 LEVEL\" REAL\n\"\tTAB\" LONG EU\n", 2);
    expect_clean_load(result);
    EXPECT_EQ(result.names,
              compact_names({compact_entry("TANK 7 LEVEL"), compact_entry("\tTAB")}, 2));
    EXPECT_EQ(result.descriptors,
              (std::vector<TypeDescriptor>{{7, 0, 2, 1}, {1, 1, 4, 1}, {4, 14, 4, 1}}));
}

TEST_F(TagListFormats, TokensMaySitBetweenTabs) {
    const LoadResult result = load_list(Given::kValues, "\tV\tREAL\t1.5\tGOOD\tEU\t\n", 1);
    expect_clean_load(result);
    EXPECT_EQ(result.descriptors, (std::vector<TypeDescriptor>{{7, 0, 1, 1}, {1, 14, 4, 1}}));
    std::vector<unsigned char> packed = bytes_of(1.5f);
    packed.resize(1200, kUntouchedByte);
    EXPECT_EQ(result.values, packed);
}

}  // namespace
