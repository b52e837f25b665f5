// tavlo_check_tag_list, run as a child process.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "tag_list_test_files.h"

namespace {

using tavlo::testing::kPrompt;
using tavlo::testing::ProcessResult;
using tavlo::testing::ProcessSpec;
using tavlo::testing::run_process;
using tavlo::testing::TagListFile;

ProcessResult check(const std::vector<std::string> &arguments, const std::string &input = "") {
    ProcessSpec spec;
    spec.argv = {TAVLO_CHECK_TAG_LIST};
    spec.argv.insert(spec.argv.end(), arguments.begin(), arguments.end());
    spec.env = {{"TZ", "UTC0"}};
    spec.input = input;
    return run_process(spec);
}

TEST(CheckTagList, ATypesFileIsListedWithItsSizes) {
    const TagListFile file("FLOW1 REAL DOUBLE\n\"MY TAG\" ASCII\n");
    const ProcessResult result = check({"types", "2", file.path()});
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(result.out,
              "\n\nLoaded without error: count=2  tag_name_stride=40\n"
              "\nTagname [1]: FLOW1" +
                  std::string(34, ' ') +
                  "\nType: REAL  Device Data Type: DOUBLE\n"
                  "\nTagname [2]: MY TAG" +
                  std::string(33, ' ') +
                  "\nType: ASCII  Device Data Type: ASCII\n"
                  "\n\nSizes and settings\n[1] size=4\n[2] size=1200\n");
}

TEST(CheckTagList, AValuesFileShowsItsValuesAndOutputTypes) {
    const TagListFile file("COUNT2 LONG -12 SUSPECT EU\n");
    const ProcessResult result = check({"values", "1", file.path()});
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(result.out,
              "\n\nLoaded without error: count=1  tag_name_stride=40\n"
              "\nTagname : COUNT2" +
                  std::string(33, ' ') +
                  "\nType: LONG  Device Data Type: ENGINEERING UNIT\nValue= -12\n"
                  "\n\nSizes and settings\n[1] size=4  output type=3\n");
}

TEST(CheckTagList, TheFileNameCanBeTypedAtThePrompt) {
    const TagListFile file("TEXT1 100 ASCII 80\n");
    const ProcessResult result = check({"historical", "1"}, file.answer());
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(result.out, kPrompt +
                              "\n\nLoaded without error: count=1  tag_name_stride=40\n"
                              "\nTagname : TEXT1" +
                              std::string(34, ' ') +
                              "\nType: ASCII  UNKNOWN DEVICE DATA TYPE\n"
                              "\n\nSizes and settings\n[1] size=80  value count=100\n");
}

TEST(CheckTagList, AFailedLoadShowsTheMessageAndTheCode) {
    const TagListFile file("TEMP1 REAL MAX 2.5\n");
    const ProcessResult result = check({"deadbands", "1", file.path()});
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.out,
              "\nUnknown deadband type for tag 'TEMP1'"
              "\n\nLoad failed: facility=10  Error=10002 "
              "(a deadband type is neither ABS nor REL)\n");
}

TEST(CheckTagList, AMissingFile) {
    const ProcessResult result = check({"names", "3", "/nonexistent/tavlo/list.txt"});
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.out,
              "\nError opening tag list file '/nonexistent/tavlo/list.txt'"
              "\n\nLoad failed: facility=10  Error=10001 "
              "(the file cannot be opened)\n");
}

TEST(CheckTagList, BadCommandLines) {
    const std::string count = "COUNT: expects a whole number from 0 to 1000000\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> lines = {
        {{}, "FORMAT: missing\n"},
        {{"types"}, "COUNT: missing\n"},
        {{"tables", "1"}, "FORMAT: expects names, types, values, deadbands or historical\n"},
        {{"types", "-1"}, count},
        {{"types", "1000001"}, count},
        {{"types", "x"}, count},
        {{"types", "1", "a", "b"}, "b: unexpected argument\n"},
        {{"--bogus", "types", "1"}, "--bogus: unknown option\n"},
        // The loader would read the first 255 characters: another file.
        {{"types", "1", "/tmp/" + std::string(251, 'x')}, "FILE: longer than 255 characters\n"},
        {{"types", "1", "/tmp"}, "FILE: is a folder, not a tag-list file\n"}};
    for (const auto &[arguments, message] : lines) {
        const ProcessResult result = check(arguments);
        EXPECT_EQ(result.exit_status, 2) << testing::PrintToString(arguments);
        EXPECT_EQ(result.out, "") << testing::PrintToString(arguments);
        EXPECT_EQ(result.err, "tavlo_check_tag_list: " + message);
    }
}

TEST(CheckTagList, NoTags) {
    const TagListFile file("A REAL\n");
    const ProcessResult result = check({"types", "0", file.path()});
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(result.out,
              "\n\nLoaded without error: count=0  tag_name_stride=40\n"
              "\n\nSizes and settings\n");
}

TEST(CheckTagList, HelpNamesEveryFormat) {
    const ProcessResult result = check({"--help"});
    EXPECT_EQ(result.exit_status, 0);
    for (const char *format : {"names", "types", "values", "deadbands", "historical"}) {
        EXPECT_NE(result.out.find(std::string("  ") + format + " "), std::string::npos) << format;
    }
}

}  // namespace
