// load_tag_list: every error, its message(s), its code and what survives.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "console_capture.h"
#include "tag_list_loads.h"

namespace {

using namespace tavlo::testing;

class TagListErrors : public ::testing::Test {
protected:
    void SetUp() override { tag_name_stride = 0; }
};

struct ErrorCase {
    const char *what;
    Given given;
    std::string failing_line;
    std::string message;
    int32_t code;
};

// A good first line of each format: tag "A", REAL, value 1.5 where asked.
std::string first_line(Given given) {
    switch (given) {
        case Given::kValues: return "A REAL 1.5 GOOD\n";
        case Given::kDeadbands: return "A REAL ABS 1.5\n";
        default: return "A REAL\n";
    }
}

const ErrorCase kCases[] = {
    {"types: unknown data type", Given::kTypes, "B FLOAT", "\nError in data type for tag 'B'",
     10006},
    {"types: lower-case data type", Given::kTypes, "B real", "\nError in data type for tag 'B'",
     10006},
    {"types: STRUCTURE is no data type", Given::kTypes, "B STRUCTURE",
     "\nError in data type for tag 'B'", 10006},
    {"types: a digit is no data type", Given::kTypes, "B 1", "\nError in data type for tag 'B'",
     10006},
    {"types: a name alone", Given::kTypes, "B", "\nError in data type for tag 'B'", 10006},
    {"types: blank line", Given::kTypes, "", "\nError in data type for tag ''", 10006},
    {"types: unknown device data type", Given::kTypes, "B REAL FLOAT",
     "\nError in device data type for tag 'B'", 10006},
    {"types: lower-case device data type", Given::kTypes, "B REAL eu",
     "\nError in device data type for tag 'B'", 10006},
    {"types: STRUCTURE is no device data type", Given::kTypes, "B REAL STRUCTURE",
     "\nError in device data type for tag 'B'", 10006},
    {"types: a digit is no device data type", Given::kTypes, "B REAL 7",
     "\nError in device data type for tag 'B'", 10006},
    {"types: the message names a quoted name", Given::kTypes, "\"MY TAG\" REAL BAD",
     "\nError in device data type for tag 'MY TAG'", 10006},
    {"values: blank line", Given::kValues, "", "\nError in data type for tag ''", 10006},
    {"values: lower-case data type", Given::kValues, "B real 1 GOOD",
     "\nError in data type for tag 'B'", 10006},
    {"values: data type before output type", Given::kValues, "B FLOAT 1 BEST",
     "\nError in data type for tag 'B'", 10006},
    {"values: unknown device data type", Given::kValues, "B REAL 1 GOOD FLOAT",
     "\nError in device data type for tag 'B'", 10006},
    {"values: no output type", Given::kValues, "B REAL 1.5",
     "\nNo output type specified for tag 'B'", 10004},
    {"values: no value and no output type", Given::kValues, "B REAL",
     "\nNo output type specified for tag 'B'", 10004},
    {"values: empty value", Given::kValues, "B REAL \"\" GOOD", "\nNo value specified for tag 'B'",
     10003},
    {"values: unknown output type", Given::kValues, "B REAL 1.5 BEST",
     "\nUnknown output type for tag 'B'", 10004},
    {"values: lower-case output type", Given::kValues, "B REAL 1.5 good",
     "\nUnknown output type for tag 'B'", 10004},
    {"deadbands: unknown deadband type", Given::kDeadbands, "B REAL XYZ 2",
     "\nUnknown deadband type for tag 'B'", 10002},
    {"deadbands: lower-case deadband type", Given::kDeadbands, "B REAL abs 2",
     "\nUnknown deadband type for tag 'B'", 10002},
    {"deadbands: no deadband type", Given::kDeadbands, "B REAL",
     "\nUnknown deadband type for tag 'B'", 10002},
    {"deadbands: unknown data type", Given::kDeadbands, "B FLOAT ABS 2",
     "\nError in data type for tag 'B'", 10006},
    {"deadbands: device data type before deadband type", Given::kDeadbands, "B REAL XYZ 2 FLOAT",
     "\nError in device data type for tag 'B'", 10006},
};

TEST_F(TagListErrors, EachErrorPrintsItsMessageRecordsItsCodeAndKeepsTheTagsBefore) {
    for (const ErrorCase &c : kCases) {
        // The line after the failing one would be stored as tag "A" again.
        const std::string content =
            first_line(c.given) + c.failing_line + "\n" + first_line(c.given);
        const LoadResult result = load_list(c.given, content, 3);
        EXPECT_EQ(result.printed, kPrompt + c.message) << c.what;
        EXPECT_EQ(result.block, failed_block(c.code)) << c.what;
        EXPECT_EQ(result.names, full_entry("A", kFill) + untouched_names(2)) << c.what;
        EXPECT_EQ(tag_name_stride, 0) << c.what;
        const std::vector<TypeDescriptor> descriptors = {
            {7, 0, 3, 1}, {1, 1, 4, 1}, kUntouchedDescriptor, kUntouchedDescriptor};
        EXPECT_EQ(result.descriptors, descriptors) << c.what;
        if (c.given == Given::kValues) {
            std::vector<unsigned char> packed = bytes_of(1.5f);
            packed.resize(3 * 1200, kUntouchedByte);
            EXPECT_EQ(result.values, packed) << c.what;
            EXPECT_EQ(result.output_types,
                      (std::vector<OutputType>{0, kUntouchedOutputType, kUntouchedOutputType}))
                << c.what;
        }
        if (c.given == Given::kDeadbands) {
            EXPECT_EQ(result.deadbands,
                      (std::vector<Deadband>{{1, 1.5f}, kUntouchedDeadband, kUntouchedDeadband}))
                << c.what;
        }
    }
}

TEST_F(TagListErrors, OutputTypesWithoutAValueBufferFailOnTheFirstLine) {
    const LoadResult result =
        load_list(Given::kOutputTypesWithoutValues, "A REAL 1.5 GOOD\nB REAL 2 GOOD\n", 2);
    EXPECT_EQ(result.printed, kPrompt + "\nInternal error\nOutput types defined without values");
    EXPECT_EQ(result.block, failed_block(10003));
    EXPECT_EQ(result.names, untouched_names(2));
    EXPECT_EQ(result.descriptors, (std::vector<TypeDescriptor>{
                                      {7, 0, 2, 1}, kUntouchedDescriptor, kUntouchedDescriptor}));
    EXPECT_EQ(result.output_types, std::vector<OutputType>(2, kUntouchedOutputType));
    EXPECT_EQ(tag_name_stride, 0);
}

TEST_F(TagListErrors, OutputTypesWithoutAValueBufferOnAnEmptyFileAreTooManyTags) {
    const LoadResult result = load_list(Given::kOutputTypesWithoutValues, "", 2);
    EXPECT_EQ(result.printed, kPrompt + "\nError: Too many tags");
    EXPECT_EQ(result.block, failed_block(10007));
    EXPECT_EQ(result.names, compact_names({}, 2));
    EXPECT_EQ(tag_name_stride, 40);
}

TEST_F(TagListErrors, AFileThatCannotBeOpened) {
    // A folder opens for reading, but is no file of lines.
    for (const std::string missing : {"/nonexistent/tavlo/list.txt", "/tmp"}) {
        for (const Given given :
             {Given::kNamesOnly, Given::kTypes, Given::kValues, Given::kDeadbands}) {
            LoadResult result(2);
            run_load(result, given, missing + "\n", 2);
            EXPECT_EQ(result.printed, kPrompt + "\nError opening tag list file '" + missing + "'");
            EXPECT_EQ(result.block, failed_block(10001));
            EXPECT_EQ(result.names, untouched_names(2));
            EXPECT_EQ(result.descriptors, std::vector<TypeDescriptor>(3, kUntouchedDescriptor));
            EXPECT_EQ(tag_name_stride, 0);
        }
    }
}

TEST_F(TagListErrors, AFileNameIsCutTo255Characters) {
    // A file whose path is 255 characters long, typed with more after it:
    // the load opens it by the first 255.
    const TemporaryDirectory directory("tavlo_long_name");
    const std::size_t folder = directory.path().size() + 1;
    ASSERT_LT(folder, 200u) << "TMPDIR is too long for a 255-character path";
    const std::string path = directory.write(std::string(255 - folder, 'x'), "A REAL\n");
    ASSERT_EQ(path.size(), 255u);
    LoadResult result(1);
    run_load(result, Given::kTypes, path + "-and-more-typed\n", 1);
    EXPECT_EQ(result.printed, kPrompt);
    EXPECT_EQ(result.block, cleared_block());
    EXPECT_EQ(result.descriptors, (std::vector<TypeDescriptor>{{7, 0, 1, 1}, {1, 1, 4, 1}}));
}

TEST_F(TagListErrors, ANegativeCountTouchesNothing) {
    LoadResult result(1);
    const std::string input = "never read\n";
    ConsoleCapture capture(input);
    load_tag_list(result.names.data(), result.descriptors.data(), result.values.data(),
                  result.output_types.data(), nullptr, -1, &result.block);
    EXPECT_EQ(capture.output(), "");
    EXPECT_EQ(capture.unread_input(), input);
    EXPECT_EQ(result.block, failed_block(10009));
    EXPECT_EQ(result.names, untouched_names(1));
    EXPECT_EQ(result.descriptors, std::vector<TypeDescriptor>(2, kUntouchedDescriptor));
    EXPECT_EQ(result.values, std::vector<unsigned char>(1200, kUntouchedByte));
    EXPECT_EQ(tag_name_stride, 0);
}

TEST_F(TagListErrors, NoTagsNeedNoArrays) {
    const TagListFile file("A REAL\n");
    ConsoleCapture capture(file.answer());
    StatusBlock block = dirty_block();
    load_tag_list(nullptr, nullptr, nullptr, nullptr, nullptr, 0, &block);
    EXPECT_EQ(capture.output(), kPrompt);
    EXPECT_EQ(block, cleared_block());
    EXPECT_EQ(tag_name_stride, 40);
}

#if defined(__SANITIZE_ADDRESS__)
#define TAVLO_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVLO_UNDER_ASAN 1
#endif
#endif

// With the address space limited, a working copy for 100,000,000 names
// (4 GB) cannot be allocated. The load runs in a child process; it must
// record 10008 and neither print, read, nor write to the outputs.
TEST(TagListNoMemory, AWorkingCopyThatCannotBeAllocatedIsRecorded) {
#ifdef TAVLO_UNDER_ASAN
    GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#else
    constexpr int32_t kHugeCount = 100000000;
    const auto load_without_memory = [](bool historical) {
        const rlimit limit{512L << 20, 512L << 20};
        if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
        std::string names(256, kFill);
        TypeDescriptor descriptors[2] = {kUntouchedDescriptor, kUntouchedDescriptor};
        int32_t value_counts[1] = {kUntouchedValueCount};
        StatusBlock block = dirty_block();
        ConsoleCapture capture("never read\n");
        if (historical) {
            load_historical_tag_list(names.data(), descriptors, value_counts, kHugeCount, &block);
        } else {
            load_tag_list(names.data(), descriptors, nullptr, nullptr, nullptr, kHugeCount, &block);
        }
        const bool untouched = names == std::string(256, kFill) &&
                               descriptors[0] == kUntouchedDescriptor &&
                               value_counts[0] == kUntouchedValueCount;
        const bool quiet = capture.output().empty() && capture.unread_input() == "never read\n";
        const bool recorded = block == failed_block(10008);
        std::_Exit(untouched && quiet && recorded ? 0 : 1);
    };
    EXPECT_EXIT(load_without_memory(false), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(load_without_memory(true), ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
