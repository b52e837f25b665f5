// define_historical_tags: prompts and menus byte for byte, and the records
// it fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "client_records.h"
#include "console_capture.h"
#include "dialogue_texts.h"
#include "name_layouts.h"
#include "scoped_environment.h"
#include "tavlo_testsupport.h"

namespace {

using namespace tavlo::testing;

// Which records a test passes besides the names.
enum Given : unsigned {
    kNamesOnly = 0,
    kDescriptors = 1,
    kValueCounts = 2,
    kStartTimes = 4,
    kEndTimes = 8,
    kEverything = 15
};

constexpr char kCallerNameByte = '#';
constexpr TypeDescriptor kUntouchedDescriptor{-9, -9, -9, -9};
constexpr int32_t kUntouchedCount = -9;
constexpr TimeRecord kUntouchedTime{-9, -9};
constexpr int32_t kStrideBefore = 123;

// The caller's records for `count` tags, run through one dialogue.
struct Dialogue {
    explicit Dialogue(int32_t tag_count)
        : count(tag_count),
          names(static_cast<std::size_t>(std::max(tag_count, 1)) * 256, kCallerNameByte),
          descriptors(static_cast<std::size_t>(tag_count) + 1, kUntouchedDescriptor),
          value_counts(static_cast<std::size_t>(tag_count), kUntouchedCount),
          start_times(static_cast<std::size_t>(tag_count), kUntouchedTime),
          end_times(static_cast<std::size_t>(tag_count), kUntouchedTime) {}

    std::string run(const std::string &input, unsigned given) {
        tag_name_stride = kStrideBefore;
        return capture_stdout(
            [&] {
                define_historical_tags(names.data(),
                                       (given & kDescriptors) ? descriptors.data() : nullptr,
                                       (given & kValueCounts) ? value_counts.data() : nullptr,
                                       (given & kStartTimes) ? start_times.data() : nullptr,
                                       (given & kEndTimes) ? end_times.data() : nullptr, count);
            },
            input);
    }

    int32_t count;
    std::string names;
    std::vector<TypeDescriptor> descriptors;
    std::vector<int32_t> value_counts;
    std::vector<TimeRecord> start_times;
    std::vector<TimeRecord> end_times;
};

// The prompts of one tag after its name and type menus.
std::string period_prompts() {
    return kValueCountPrompt + kStartTimePrompt + kStartDatePrompt + kEndTimePrompt +
           kEndDatePrompt;
}

TEST(DefineHistoricalTags, CountZeroAsksNothingAndWritesOnlyTheHeader) {
    Dialogue dialogue(0);
    EXPECT_EQ(dialogue.run("", kEverything), "");
    EXPECT_EQ(dialogue.descriptors[0], (TypeDescriptor{7, 0, 0, 1}));
    EXPECT_EQ(tag_name_stride, 40);
}

TEST(DefineHistoricalTags, AFullDialogueForEveryDataType) {
    Dialogue dialogue(6);
    const std::string input =
        "R\n1\n\n10\n10-30-15\n01-02-70\n11-00\n01-02-70\n"
        "D\n2\n9\n0\n00-00-00\n12-31-20\n23-59-59\n12-31-20\n"
        "S\n3\n3\n-5\n00-00\n01-01-70\n00-00\n01-01-70\n"
        "L\n4\n\n\n01-00\n01-02-70\n00-00\n01-01-70\n"
        "A\n5\n20\n14\n7\n00-00\n01-01-70\n00-00\n01-01-70\n"
        "T\n6\n6\n1\n00-00\n01-01-70\n00-00\n01-01-70\n";
    const std::string out = dialogue.run(input, kEverything);
    EXPECT_EQ(out, joined({
                       name_prompt(1) + historical_data_type_menu("R") +
                           device_menu("REAL  ", "R") + period_prompts(),
                       name_prompt(2) + historical_data_type_menu("D") +
                           device_menu("DOUBLE", "D") + period_prompts(),
                       name_prompt(3) + historical_data_type_menu("S") +
                           device_menu("SHORT ", "S") + period_prompts(),
                       name_prompt(4) + historical_data_type_menu("L") +
                           device_menu("LONG  ", "L") + period_prompts(),
                       name_prompt(5) + historical_data_type_menu("A") + kAsciiSizePrompt +
                           device_menu("ASCII ", "A") + period_prompts(),
                       name_prompt(6) + historical_data_type_menu("T") +
                           device_menu("TIME  ", "T") + period_prompts(),
                   }));
    const std::vector<TypeDescriptor> descriptors = {{7, 0, 6, 1}, {1, 1, 4, 1}, {5, 10, 8, 1},
                                                     {2, 2, 2, 1}, {4, 4, 4, 1}, {3, 15, 20, 1},
                                                     {6, 6, 8, 1}};
    EXPECT_EQ(dialogue.descriptors, descriptors);
    EXPECT_EQ(dialogue.value_counts, (std::vector<int32_t>{10, 0, -5, 0, 7, 1}));
    EXPECT_EQ(dialogue.start_times, (std::vector<TimeRecord>{{0, 86400 + 10 * 3600 + 30 * 60 + 15},
                                                             {0, 1609372800},
                                                             {0, 0},
                                                             {0, 86400 + 3600},
                                                             {0, 0},
                                                             {0, 0}}));
    // The fourth tag ends before it starts.
    EXPECT_EQ(
        dialogue.end_times,
        (std::vector<TimeRecord>{
            {0, 86400 + 11 * 3600}, {0, 1609372800 + 86399}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}));
    EXPECT_EQ(dialogue.names, compact_layout({"R", "D", "S", "L", "A", "T"}, 6));
    EXPECT_EQ(tag_name_stride, 40);
}

struct StartCase {
    const char *what;
    std::string answers;  // start time and date lines
    std::string prompts;  // the start prompts they bring
    int32_t seconds;
    const char *zone;  // null: UTC
};

TEST(DefineHistoricalTags, TheStartIsTheTimeOfDayPlusTheDate) {
    const std::string time = kStartTimePrompt;
    const std::string date = kStartDatePrompt;
    const std::vector<StartCase> cases = {
        {"10-30-15 on 01-02-70", "10-30-15\n01-02-70\n", time + date,
         86400 + 10 * 3600 + 30 * 60 + 15, nullptr},
        {"HH-MM", "10-30\n01-02-70\n", time + date, 86400 + 10 * 3600 + 30 * 60, nullptr},
        {"25-00-00 asked again", "25-00-00\n10-30\n01-02-70\n", time + time + date,
         86400 + 10 * 3600 + 30 * 60, nullptr},
        {"empty time asked again", "\n00-00\n01-01-70\n", time + time + date, 0, nullptr},
        {"a time cut to 8 characters", "10-30-15999\n01-02-70\n", time + date,
         86400 + 10 * 3600 + 30 * 60 + 15, nullptr},
        {"12-31-2020 read as 12-31-20", "00-00\n12-31-2020\n", time + date, 1609372800, nullptr},
        {"02-30-21 is 2 March 2021", "00-00\n02-30-21\n", time + date, 1614643200, nullptr},
        {"01-01-69 asked again", "00-00\n01-01-69\n01-02-70\n", time + date + date, 86400, nullptr},
        {"the last second a 32-bit count holds", "03-14-07\n01-19-38\n", time + date, 2147483647,
         nullptr},
        {"a second later: the date asked again", "03-14-08\n01-19-38\n01-18-38\n",
         time + date + date, 2147385600 + 3 * 3600 + 14 * 60 + 8, nullptr},
        {"local standard time in summer", "10-30-15\n07-04-20\n", time + date,
         1593838800 + 10 * 3600 + 30 * 60 + 15, "EST5EDT,M3.2.0,M11.1.0"},
    };
    for (const StartCase &c : cases) {
        std::optional<ScopedTimeZone> zone;
        if (c.zone != nullptr) zone.emplace(c.zone);
        Dialogue dialogue(1);
        const std::string out =
            dialogue.run("X\n1\n\n3\n" + c.answers + "00-00\n01-01-70\n", kEverything);
        EXPECT_EQ(out, name_prompt(1) + historical_data_type_menu("X") +
                           device_menu("REAL  ", "X") + kValueCountPrompt + c.prompts +
                           kEndTimePrompt + kEndDatePrompt)
            << c.what;
        EXPECT_EQ(dialogue.start_times[0], (TimeRecord{0, c.seconds})) << c.what;
    }
}

TEST(DefineHistoricalTags, WithoutDescriptorsOnlyNamesAreAsked) {
    Dialogue dialogue(2);
    EXPECT_EQ(dialogue.run("A\nB\n", kValueCounts | kStartTimes | kEndTimes),
              name_prompt(1) + name_prompt(2));
    EXPECT_EQ(dialogue.value_counts, (std::vector<int32_t>(2, kUntouchedCount)));
    EXPECT_EQ(dialogue.start_times, (std::vector<TimeRecord>(2, kUntouchedTime)));
    EXPECT_EQ(dialogue.end_times, (std::vector<TimeRecord>(2, kUntouchedTime)));
    EXPECT_EQ(dialogue.names, compact_layout({"A", "B"}, 2));
}

TEST(DefineHistoricalTags, ARecordNotGivenIsNotAskedFor) {
    Dialogue dialogue(1);
    const std::string out = dialogue.run("A\n1\n\n00-00\n01-02-70\n", kDescriptors | kEndTimes);
    EXPECT_EQ(out, name_prompt(1) + historical_data_type_menu("A") + device_menu("REAL  ", "A") +
                       kEndTimePrompt + kEndDatePrompt);
    EXPECT_EQ(dialogue.end_times[0], (TimeRecord{0, 86400}));
}

TEST(DefineHistoricalTags, MenusAndTheAsciiSizeAreAskedAgain) {
    Dialogue dialogue(1);
    const std::string out = dialogue.run(
        "X\n0\n7\n\n15\n5\n0\n-1\n1201\n1200\n15\n\n2\n00-00\n01-01-70\n00-00\n01-01-70\n",
        kEverything);
    EXPECT_EQ(out, name_prompt(1) + repeated(historical_data_type_menu("X"), 5) +
                       repeated(kAsciiSizePrompt, 4) + repeated(device_menu("ASCII ", "X"), 2) +
                       period_prompts());
    EXPECT_EQ(dialogue.descriptors[1], (TypeDescriptor{3, 3, 1200, 1}));
    EXPECT_EQ(dialogue.value_counts[0], 2);
}

TEST(DefineHistoricalTags, NamesAreFinishedAsDefineTagsFinishesThem) {
    {
        Dialogue dialogue(3);
        dialogue.run("abc\n" + std::string(39, 'm') + "\n" + std::string(10, 't') + "\n",
                     kNamesOnly);
        EXPECT_EQ(tag_name_stride, 40);
        EXPECT_EQ(dialogue.names,
                  compact_layout({"abc", std::string(39, 'm'), std::string(10, 't')}, 3));
        EXPECT_EQ(dialogue.names[79], '\0');
    }
    {
        Dialogue dialogue(2);
        dialogue.run("ab\n" + std::string(40, 'f') + "\n", kNamesOnly);
        EXPECT_EQ(tag_name_stride, kStrideBefore);
        std::string expected(2 * 256, kCallerNameByte);
        expected.replace(0, 2, "ab");
        expected[255] = '\0';
        expected.replace(256, 40, std::string(40, 'f'));
        expected[511] = '\0';
        EXPECT_EQ(dialogue.names, expected);
    }
    {
        Dialogue dialogue(1);
        const std::string out = dialogue.run(std::string(300, 'n') + "\n1\n\n", kDescriptors);
        EXPECT_EQ(out, name_prompt(1) + historical_data_type_menu(std::string(255, 'n')) +
                           device_menu("REAL  ", std::string(255, 'n')));
        EXPECT_EQ(dialogue.names, std::string(255, 'n') + '\0');
        EXPECT_EQ(tag_name_stride, kStrideBefore);
    }
}

struct EndCase {
    const char *what;
    std::string input;
    std::string last_prompts;
    int tag;
    std::function<void(const Dialogue &)> check;
};

TEST(DefineHistoricalTags, EndOfInputInEveryKindOfPromptEndsTheDialogue) {
    const auto nothing_of_tag_1 = [](const Dialogue &d) {
        EXPECT_EQ(d.value_counts[0], kUntouchedCount);
        EXPECT_EQ(d.start_times[0], kUntouchedTime);
        EXPECT_EQ(d.end_times[0], kUntouchedTime);
    };
    const std::string tag_1 = "A\n1\n\n";  // name, data type, device data type
    const std::vector<EndCase> cases = {
        {"name", "", name_prompt(1), 1,
         [&](const Dialogue &d) {
             nothing_of_tag_1(d);
             EXPECT_EQ(d.names, std::string(2 * 256, ' '));
         }},
        {"data type", "A\n", historical_data_type_menu("A"), 1,
         [&](const Dialogue &d) {
             nothing_of_tag_1(d);
             EXPECT_EQ(d.descriptors[1], kUntouchedDescriptor);
         }},
        {"ASCII size", "A\n5\n0\n", repeated(kAsciiSizePrompt, 2), 1,
         [&](const Dialogue &d) { EXPECT_EQ(d.descriptors[1], kUntouchedDescriptor); }},
        {"device data type", "A\n1\n", device_menu("REAL  ", "A"), 1,
         [&](const Dialogue &d) {
             EXPECT_EQ(d.descriptors[1], (TypeDescriptor{1, -9, 4, 1}));
         }},
        {"number of values", tag_1, kValueCountPrompt, 1, nothing_of_tag_1},
        {"start time", tag_1 + "4\n", kStartTimePrompt, 1,
         [&](const Dialogue &d) {
             EXPECT_EQ(d.value_counts[0], 4);
             EXPECT_EQ(d.start_times[0], kUntouchedTime);
         }},
        {"start time after a rejected one", tag_1 + "4\n99\n", repeated(kStartTimePrompt, 2), 1,
         [&](const Dialogue &d) { EXPECT_EQ(d.start_times[0], kUntouchedTime); }},
        {"start date", tag_1 + "4\n10-00\n", kStartDatePrompt, 1,
         [&](const Dialogue &d) { EXPECT_EQ(d.start_times[0], kUntouchedTime); }},
        {"end time", tag_1 + "4\n10-00\n01-01-70\n", kEndTimePrompt, 1,
         [&](const Dialogue &d) {
             EXPECT_EQ(d.start_times[0], (TimeRecord{0, 36000}));
             EXPECT_EQ(d.end_times[0], kUntouchedTime);
         }},
        {"end date", tag_1 + "4\n10-00\n01-01-70\n11-00\n01-01-69\n", repeated(kEndDatePrompt, 2),
         1, [&](const Dialogue &d) { EXPECT_EQ(d.end_times[0], kUntouchedTime); }},
        {"second name", tag_1 + "4\n10-00\n01-01-70\n11-00\n01-01-70\n", name_prompt(2), 2,
         [&](const Dialogue &d) {
             EXPECT_EQ(d.end_times[0], (TimeRecord{0, 39600}));
             EXPECT_EQ(d.descriptors[2], kUntouchedDescriptor);
             EXPECT_EQ(d.value_counts[1], kUntouchedCount);
             EXPECT_EQ(d.names, compact_layout({"A"}, 2));
         }},
    };
    for (const EndCase &c : cases) {
        Dialogue dialogue(2);
        expect_ended_after(dialogue.run(c.input, kEverything), c.last_prompts, c.tag, 2, c.what);
        EXPECT_EQ(dialogue.descriptors[0], (TypeDescriptor{7, 0, 2, 1})) << c.what;
        EXPECT_EQ(tag_name_stride, 40) << c.what;
        c.check(dialogue);
    }
}

}  // namespace
