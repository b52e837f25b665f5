// The tag value report: names, type lines, values, timestamps, statuses.
#include <gtest/gtest.h>

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
using tavlo::testing::full_entry;

constexpr TagStatus kGood{-1, 0, 0};
const std::string kGoodLines = "\nStatus is GOOD (-1)\nFacility=0\nDriver Status=0";

// An array of 256-byte entries, NUL-filled, holding the names.
std::string full_names(const std::vector<std::string> &names) {
    std::string array;
    for (const std::string &name : names) array += full_entry(name, '\0');
    return array;
}

// The descriptor array of the given tag descriptors, header first.
std::vector<TypeDescriptor> descriptors_of(const std::vector<TypeDescriptor> &tags) {
    std::vector<TypeDescriptor> array{{7, 0, static_cast<int32_t>(tags.size()), 1}};
    array.insert(array.end(), tags.begin(), tags.end());
    return array;
}

class TagValueReport : public ::testing::Test {
protected:
    void SetUp() override { tag_name_stride = 256; }
};

TEST_F(TagValueReport, OneTagWithEveryInputPrintsItsWholeBlock) {
    const auto names = full_names({"TEMP"});
    const auto descriptors = descriptors_of({{1, 1, 4, 1}});
    std::vector<unsigned char> values;
    append(values, 1.5f);
    const TimeRecord timestamp{0, 3600};
    const std::string out = capture_stdout([&] {
        print_tag_values(names.data(), descriptors.data(), values.data(), &kGood, &timestamp, 1);
    });
    EXPECT_EQ(out,
              "\nTagname : TEMP"
              "\nType: REAL  Device Data Type: REAL"
              "\nValue= 1.500000"
              "\nTimestamp: Thu Jan  1 01:00:00 1970\n" +
                  kGoodLines + "\n");
}

struct ValueCase {
    const char *what;
    TypeDescriptor descriptor;
    std::vector<unsigned char> value;
    std::string expected;  // what follows the type line
};

std::vector<unsigned char> bytes_of_text(const std::string &text, std::size_t size) {
    std::vector<unsigned char> buffer;
    append_text(buffer, text, size);
    return buffer;
}

template <typename T>
std::vector<unsigned char> bytes_of(const T &value) {
    std::vector<unsigned char> buffer;
    append(buffer, value);
    return buffer;
}

TEST_F(TagValueReport, EachDataTypePrintsItsValueLine) {
    const std::vector<ValueCase> cases = {
        {"REAL", {1, 1, 4, 1}, bytes_of(1.5f), "\nValue= 1.500000"},
        {"SHORT all bits set", {2, 2, 2, 1}, bytes_of<uint16_t>(0xFFFF), "\nValue= -1"},
        {"LONG", {4, 4, 4, 1}, bytes_of<int32_t>(-123456), "\nValue= -123456"},
        {"DOUBLE", {5, 5, 8, 1}, bytes_of(2.25), "\nValue= 2.250000"},
        {"ASCII full", {3, 3, 8, 1}, bytes_of_text("ABCDEFGH", 8), "\nValue= ABCDEFGH"},
        {"ASCII short", {3, 3, 8, 1}, bytes_of_text("AB", 8), "\nValue= AB      "},
        {"ASCII size 0", {3, 3, 0, 1}, {}, "\nValue= "},
        {"ASCII size -5", {3, 3, -5, 1}, {}, "\nValue= "},
        {"ASCII size 1000000000", {3, 3, 1000000000, 1}, bytes_of_text("X", 1), "\nValue= "},
        {"TIME",
         {6, 6, 8, 1},
         bytes_of(TimeRecord{0, 3600}),
         "\nTime Value: Milliseconds= 0  Seconds= 3600\nThu Jan  1 01:00:00 1970\n"},
        {"TIME without a local time",
         {6, 6, 8, 1},
         bytes_of(TimeRecord{5, -1}),
         "\nTime Value: Milliseconds= 5  Seconds= -1"},
        {"STRUCTURE",
         {7, 7, 20, 1},
         std::vector<unsigned char>(20, 0xAB),
         "\nStructures are currently not supported"},
    };
    const auto names = full_names({"T"});
    for (const ValueCase &c : cases) {
        const auto descriptors = descriptors_of({c.descriptor});
        const std::vector<unsigned char> before = c.value;
        std::vector<unsigned char> buffer = c.value;
        const std::string out = capture_stdout([&] {
            print_tag_values(names.data(), descriptors.data(),
                             buffer.empty() ? nullptr : buffer.data(), &kGood, nullptr, 1);
        });
        const std::string value_part =
            buffer.empty() ? "" : c.expected;  // no buffer, no value line
        const std::size_t type_end = out.find('\n', 1);
        ASSERT_NE(type_end, std::string::npos) << c.what;
        const std::size_t value_start = out.find('\n', type_end + 1);
        ASSERT_NE(value_start, std::string::npos) << c.what;
        EXPECT_EQ(out.substr(value_start), value_part + kGoodLines + "\n") << c.what;
        EXPECT_EQ(buffer, before) << c.what << ": the value buffer must not change";
    }
}

TEST_F(TagValueReport, TypeLinesAndDeviceDataTypeTexts) {
    const std::vector<std::pair<int16_t, std::string>> types = {
        {1, "\nType: REAL"},         {2, "\nType: SHORT"},        {3, "\nType: ASCII"},
        {4, "\nType: LONG"},         {5, "\nType: DOUBLE"},       {6, "\nType: TIME"},
        {7, "\nType: STRUCTURE"},    {0, "\nType: UNKNOWN TYPE"}, {8, "\nType: UNKNOWN TYPE"},
        {-1, "\nType: UNKNOWN TYPE"}};
    const std::vector<std::pair<int16_t, std::string>> device_types = {
        {1, "  Device Data Type: REAL"},
        {2, "  Device Data Type: SHORT"},
        {3, "  Device Data Type: ASCII"},
        {4, "  Device Data Type: LONG"},
        {5, "  Device Data Type: DOUBLE"},
        {6, "  Device Data Type: TIME"},
        {7, "  Device Data Type: STRUCTURE"},
        {8, "  Device Data Type: ENUMERATION"},
        {9, "  Device Data Type: ORDINAL"},
        {10, "  Device Data Type: DELTA TIME"},
        {11, "  Device Data Type: EXTERNAL IDENTIFIER"},
        {12, "  Device Data Type: CONTROL BLOCK ANTI WINDUP"},
        {13, "  Device Data Type: CONTROL BLOCK STATUS"},
        {14, "  Device Data Type: ENGINEERING UNIT"},
        {15, "  Device Data Type: DESCRIPTION"},
        {0, "  UNKNOWN DEVICE DATA TYPE"},
        {16, "  UNKNOWN DEVICE DATA TYPE"},
        {-3, "  UNKNOWN DEVICE DATA TYPE"}};
    const auto names = full_names({"T"});
    for (const auto &[type, type_line] : types) {
        for (const auto &[device_type, device_text] : device_types) {
            const auto descriptors = descriptors_of({{type, device_type, 4, 1}});
            // Declare style: descriptors, no values, no timestamps.
            const std::string out = capture_stdout([&] {
                print_tag_values(names.data(), descriptors.data(), nullptr, &kGood, nullptr, 1);
            });
            EXPECT_EQ(out, "\nTagname : T" + type_line + device_text + kGoodLines + "\n")
                << type << "/" << device_type;
        }
    }
}

TEST_F(TagValueReport, ValuesFollowOneAnotherUnaligned) {
    // SHORT, REAL, DOUBLE take 2 + 4 + 8 bytes; the REAL starts at byte 2.
    const auto names = full_names({"S", "R", "D"});
    const auto descriptors = descriptors_of({{2, 2, 2, 1}, {1, 1, 4, 1}, {5, 5, 8, 1}});
    std::vector<unsigned char> values;
    append<int16_t>(values, 7);
    append(values, -0.25f);
    append(values, 1e6);
    ASSERT_EQ(values.size(), 14u);
    const TagStatus statuses[3] = {kGood, kGood, kGood};
    const std::string out = capture_stdout([&] {
        print_tag_values(names.data(), descriptors.data(), values.data(), statuses, nullptr, 3);
    });
    EXPECT_EQ(out, "\nTagname [1]: S\nType: SHORT  Device Data Type: SHORT\nValue= 7" + kGoodLines +
                       "\n\nTagname [2]: R\nType: REAL  Device Data Type: REAL\nValue= -0.250000" +
                       kGoodLines +
                       "\n\nTagname [3]: D\nType: DOUBLE  Device Data Type: DOUBLE\nValue= "
                       "1000000.000000" +
                       kGoodLines + "\n");
}

TEST_F(TagValueReport, StructureSkipsItsSizeToTheNextValue) {
    const auto names = full_names({"BLOCK", "COUNT"});
    const auto descriptors = descriptors_of({{7, 7, 20, 1}, {4, 4, 4, 1}});
    std::vector<unsigned char> values(20, 0xEE);
    append<int32_t>(values, 42);
    const TagStatus statuses[2] = {kGood, kGood};
    const std::string out = capture_stdout([&] {
        print_tag_values(names.data(), descriptors.data(), values.data(), statuses, nullptr, 2);
    });
    EXPECT_EQ(out,
              "\nTagname [1]: BLOCK\nType: STRUCTURE  Device Data Type: STRUCTURE"
              "\nStructures are currently not supported" +
                  kGoodLines +
                  "\n\nTagname [2]: COUNT\nType: LONG  Device Data Type: LONG\nValue= 42" +
                  kGoodLines + "\n");
}

TEST_F(TagValueReport, UnknownDataTypeWithValuesEndsTheReport) {
    const auto names = full_names({"ODD", "NEXT"});
    const auto descriptors = descriptors_of({{9, 1, 4, 1}, {4, 4, 4, 1}});
    std::vector<unsigned char> values(8, 0);
    const TimeRecord timestamps[2] = {{0, 0}, {0, 0}};
    const TagStatus statuses[2] = {kGood, kGood};
    const std::string out = capture_stdout([&] {
        print_tag_values(names.data(), descriptors.data(), values.data(), statuses, timestamps, 2);
    });
    EXPECT_EQ(out,
              "\nTagname [1]: ODD\nType: UNKNOWN TYPE  Device Data Type: REAL"
              "\nUnknown data type");
}

TEST_F(TagValueReport, UnknownDataTypeWithoutValuesGoesOn) {
    const auto names = full_names({"ODD", "NEXT"});
    const auto descriptors = descriptors_of({{9, 1, 4, 1}, {4, 4, 4, 1}});
    const TagStatus statuses[2] = {kGood, kGood};
    const std::string out = capture_stdout(
        [&] { print_tag_values(names.data(), descriptors.data(), nullptr, statuses, nullptr, 2); });
    EXPECT_EQ(out, "\nTagname [1]: ODD\nType: UNKNOWN TYPE  Device Data Type: REAL" + kGoodLines +
                       "\n\nTagname [2]: NEXT\nType: LONG  Device Data Type: LONG" + kGoodLines +
                       "\n");
}

TEST_F(TagValueReport, CancelStylePrintsNamesAndStatusesOnly) {
    // A value buffer given without descriptors is ignored as well.
    const auto names = full_names({"A", "B"});
    std::vector<unsigned char> values(16, 0);
    const TagStatus statuses[2] = {{-3, 5, 7}, {-7, 1, 2}};
    const std::string out = capture_stdout(
        [&] { print_tag_values(names.data(), nullptr, values.data(), statuses, nullptr, 2); });
    EXPECT_EQ(out,
              "\nTagname [1]: A\nStatus is SUSPECT (-3)\nFacility=5\nDriver Status=7\n"
              "\nTagname [2]: B\nUnknown status (-7)\nFacility=1\nDriver Status=2\n");
}

TEST_F(TagValueReport, InvalidTimestampIsSaid) {
    const auto names = full_names({"A"});
    const TimeRecord timestamp{-1, 100};
    const std::string out = capture_stdout(
        [&] { print_tag_values(names.data(), nullptr, nullptr, &kGood, &timestamp, 1); });
    EXPECT_EQ(out, "\nTagname : A\nInvalid timestamp" + kGoodLines + "\n");
}

TEST_F(TagValueReport, CompactNamesStepBy40AndStopAtTheEntryEnd) {
    // Three compact entries: a padded name, 40 blanks without a NUL, and a
    // padded name; the second must not run on into the third.
    std::string array;
    array += std::string("FIRST") + std::string(34, ' ') + '\0';
    array += std::string(40, ' ');
    array += std::string("THIRD") + std::string(34, ' ') + '\0';
    tag_name_stride = 40;
    const TagStatus statuses[3] = {kGood, kGood, kGood};
    const std::string out = capture_stdout(
        [&] { print_tag_values(array.data(), nullptr, nullptr, statuses, nullptr, 3); });
    EXPECT_EQ(out, "\nTagname [1]: FIRST" + std::string(34, ' ') + kGoodLines + "\n" +
                       "\nTagname [2]: " + std::string(40, ' ') + kGoodLines + "\n" +
                       "\nTagname [3]: THIRD" + std::string(34, ' ') + kGoodLines + "\n");
}

TEST_F(TagValueReport, NoTagsPrintNothing) {
    const auto names = full_names({"A"});
    for (int32_t count : {0, -1}) {
        EXPECT_EQ(capture_stdout([&] {
                      print_tag_values(names.data(), nullptr, nullptr, &kGood, nullptr, count);
                  }),
                  "");
    }
}

TEST_F(TagValueReport, ShortSizesNeverReadPastTheValue) {
    // A REAL of size 2 and a TIME of size 3: only those bytes are read (the
    // sanitizer build checks it), the rest of the variable is zero, and the
    // next value starts right after them.
    const auto names = full_names({"R", "T", "L"});
    const auto descriptors = descriptors_of({{1, 1, 2, 1}, {6, 6, 3, 1}, {4, 4, 4, 1}});
    std::vector<unsigned char> values = {0, 0, 5, 0, 0};
    append<int32_t>(values, 99);
    const TagStatus statuses[3] = {kGood, kGood, kGood};
    const std::string out = capture_stdout([&] {
        print_tag_values(names.data(), descriptors.data(), values.data(), statuses, nullptr, 3);
    });
    EXPECT_NE(out.find("\nValue= 0.000000"), std::string::npos) << out;
    EXPECT_NE(out.find("\nTime Value: Milliseconds= 5  Seconds= 0\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nValue= 99"), std::string::npos) << out;
}

}  // namespace
