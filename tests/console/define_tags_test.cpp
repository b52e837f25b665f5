// define_tags: prompts and menus byte for byte, and the records it fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "bytes.h"
#include "client_records.h"
#include "console_capture.h"
#include "dialogue_texts.h"
#include "name_layouts.h"
#include "tavlo_testsupport.h"

namespace {

using namespace tavlo::testing;

// Which records a test passes besides the names.
enum Given : unsigned {
    kNamesOnly = 0,
    kDescriptors = 1,
    kValues = 2,
    kOutputTypes = 4,
    kDeadbands = 8,
    kEverything = 15
};

// What the records hold before the dialogue, so that an untouched one shows.
constexpr char kCallerNameByte = '#';
constexpr unsigned char kUntouchedValueByte = 0xEE;
constexpr TypeDescriptor kUntouchedDescriptor{-9, -9, -9, -9};
constexpr OutputType kUntouchedOutputType = -9;
constexpr Deadband kUntouchedDeadband{-9, -9.0f};
constexpr int32_t kStrideBefore = 123;

// The caller's records for `count` tags, run through one dialogue.
struct Dialogue {
    explicit Dialogue(int32_t tag_count)
        : count(tag_count),
          names(static_cast<std::size_t>(std::max(tag_count, 1)) * 256, kCallerNameByte),
          descriptors(static_cast<std::size_t>(tag_count) + 1, kUntouchedDescriptor),
          values(static_cast<std::size_t>(tag_count) * 1200 + 16, kUntouchedValueByte),
          output_types(static_cast<std::size_t>(tag_count), kUntouchedOutputType),
          deadbands(static_cast<std::size_t>(tag_count), kUntouchedDeadband) {}

    // Runs define_tags with `input` as standard input; returns its output.
    std::string run(const std::string &input, unsigned given) {
        tag_name_stride = kStrideBefore;
        return capture_stdout(
            [&] {
                define_tags(names.data(), (given & kDescriptors) ? descriptors.data() : nullptr,
                            (given & kValues) ? values.data() : nullptr,
                            (given & kOutputTypes) ? output_types.data() : nullptr,
                            (given & kDeadbands) ? deadbands.data() : nullptr, count);
            },
            input);
    }

    // The first `n` bytes of the value buffer.
    Bytes first_values(std::size_t n) const { return Bytes(values.data(), values.data() + n); }

    int32_t count;
    std::string names;
    std::vector<TypeDescriptor> descriptors;
    Bytes values;
    std::vector<OutputType> output_types;
    std::vector<Deadband> deadbands;
};

TEST(DefineTags, CountZeroAsksNothingAndWritesOnlyTheHeader) {
    Dialogue dialogue(0);
    EXPECT_EQ(dialogue.run("", kEverything), "");
    EXPECT_EQ(dialogue.descriptors[0], (TypeDescriptor{7, 0, 0, 1}));
    EXPECT_EQ(tag_name_stride, 40);
    EXPECT_EQ(dialogue.names, std::string(256, kCallerNameByte));
}

TEST(DefineTags, ANegativeCountOrNullNamesAsksAndTouchesNothing) {
    Dialogue dialogue(1);
    tag_name_stride = kStrideBefore;
    const std::string out = capture_stdout(
        [&] {
            define_tags(dialogue.names.data(), dialogue.descriptors.data(), nullptr, nullptr,
                        nullptr, -1);
            define_tags(nullptr, dialogue.descriptors.data(), nullptr, nullptr, nullptr, 1);
        },
        "A\n1\n\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(dialogue.descriptors[0], kUntouchedDescriptor);
    EXPECT_EQ(dialogue.names, std::string(256, kCallerNameByte));
    EXPECT_EQ(tag_name_stride, kStrideBefore);
}

TEST(DefineTags, AFullDialogueForEveryDataType) {
    Dialogue dialogue(6);
    const std::string input =
        "R\n1\n\n1.5\n1\n1\n0.25\n"
        "D\n2\n7\n-2.5\n2\n2\n10\n"
        "S\n3\n3\n70000\n3\n1\n\n"
        "L\n4\n14\n-123456\n4\n2\n2.5\n"
        "A\n5\n6\n0\nhello world\n1\n1\n1\n"
        "T\n6\n6\n5\n250\n1\n1\n0\n";
    const std::string out = dialogue.run(input, kEverything);
    EXPECT_EQ(
        out,
        joined({
            name_prompt(1) + data_type_menu("R") + device_menu("REAL  ", "R") + real_prompt("R") +
                output_type_menu("R") + deadband_menu("R") + kAbsolutePrompt,
            name_prompt(2) + data_type_menu("D") + device_menu("DOUBLE", "D") + double_prompt("D") +
                output_type_menu("D") + deadband_menu("D") + kRelativePrompt,
            name_prompt(3) + data_type_menu("S") + device_menu("SHORT ", "S") + short_prompt("S") +
                output_type_menu("S") + deadband_menu("S") + kAbsolutePrompt,
            name_prompt(4) + data_type_menu("L") + device_menu("LONG  ", "L") + long_prompt("L") +
                output_type_menu("L") + deadband_menu("L") + kRelativePrompt,
            name_prompt(5) + data_type_menu("A") + kAsciiSizePrompt + device_menu("ASCII ", "A") +
                ascii_prompt("A") + output_type_menu("A") + deadband_menu("A") + kAbsolutePrompt,
            name_prompt(6) + data_type_menu("T") + device_menu("TIME  ", "T") + time_prompts("T") +
                output_type_menu("T") + deadband_menu("T") + kAbsolutePrompt,
        }));
    const std::vector<TypeDescriptor> descriptors = {{7, 0, 6, 1}, {1, 1, 4, 1},  {5, 8, 8, 1},
                                                     {2, 2, 2, 1}, {4, 15, 4, 1}, {3, 3, 6, 1},
                                                     {6, 6, 8, 1}};
    EXPECT_EQ(dialogue.descriptors, descriptors);
    Bytes values;
    append(values, 1.5f);
    append(values, -2.5);
    append(values, int16_t{4464});
    append(values, int32_t{-123456});
    for (char c : std::string("hello ")) values.push_back(static_cast<unsigned char>(c));
    append(values, int32_t{250});  // milliseconds first
    append(values, int32_t{5});
    ASSERT_EQ(values.size(), 32u);
    EXPECT_EQ(dialogue.first_values(33), values + Bytes{kUntouchedValueByte});
    EXPECT_EQ(dialogue.output_types, (std::vector<OutputType>{0, 1, 2, 3, 0, 0}));
    EXPECT_EQ(dialogue.deadbands,
              (std::vector<Deadband>{
                  {1, 0.25f}, {2, 10.0f}, {1, 0.0f}, {2, 2.5f}, {1, 1.0f}, {1, 0.0f}}));
    EXPECT_EQ(dialogue.names, compact_layout({"R", "D", "S", "L", "A", "T"}, 6));
    EXPECT_EQ(tag_name_stride, 40);
}

struct MenuCase {
    const char *what;
    unsigned given;
    std::string input;
    std::string output;
    std::function<void(const Dialogue &)> check;
};

TEST(DefineTags, MenusArePrintedAgainUntilTheAnswerIsAChoice) {
    const std::vector<MenuCase> cases = {
        {"data type 0, 7, empty, 15, -1", kDescriptors, "X\n0\n7\n\n15\n-1\n1\n\n",
         name_prompt(1) + repeated(data_type_menu("X"), 6) + device_menu("REAL  ", "X"),
         [](const Dialogue &d) {
             EXPECT_EQ(d.descriptors[1], (TypeDescriptor{1, 1, 4, 1}));
         }},
        {"device data type 15, -1, 99", kDescriptors, "X\n4\n15\n-1\n99\n7\n",
         name_prompt(1) + data_type_menu("X") + repeated(device_menu("LONG  ", "X"), 4),
         [](const Dialogue &d) {
             EXPECT_EQ(d.descriptors[1], (TypeDescriptor{4, 8, 4, 1}));
         }},
        {"device data type empty: the data type", kDescriptors, "X\n2\n\n",
         name_prompt(1) + data_type_menu("X") + device_menu("DOUBLE", "X"),
         [](const Dialogue &d) {
             EXPECT_EQ(d.descriptors[1], (TypeDescriptor{5, 5, 8, 1}));
         }},
        {"output type 0, 5, empty, 15", kOutputTypes, "X\n0\n5\n\n15\n4\n",
         name_prompt(1) + repeated(output_type_menu("X"), 5),
         [](const Dialogue &d) { EXPECT_EQ(d.output_types[0], 3); }},
        {"deadband type 0, 3, empty, 7, 15", kDeadbands, "X\n0\n3\n\n7\n15\n2\n2.5\n",
         name_prompt(1) + repeated(deadband_menu("X"), 6) + kRelativePrompt,
         [](const Dialogue &d) {
             EXPECT_EQ(d.deadbands[0], (Deadband{2, 2.5f}));
         }},
    };
    for (const MenuCase &c : cases) {
        Dialogue dialogue(1);
        EXPECT_EQ(dialogue.run(c.input, c.given), c.output) << c.what;
        c.check(dialogue);
    }
}

TEST(DefineTags, AsciiSizeIsAskedAgainUntilFrom1To1200) {
    Dialogue dialogue(1);
    const std::string out = dialogue.run(
        "X\n5\n0\n-1\n1201\n1200\n\n" + std::string(1200, 'v') + "\n", kDescriptors | kValues);
    EXPECT_EQ(out, name_prompt(1) + data_type_menu("X") + repeated(kAsciiSizePrompt, 4) +
                       device_menu("ASCII ", "X") + ascii_prompt("X"));
    EXPECT_EQ(dialogue.descriptors[1], (TypeDescriptor{3, 3, 1200, 1}));
    // The working line keeps 1199 characters of a line; the rest is zero.
    Bytes expected(1199, 'v');
    expected.push_back(0);
    expected.push_back(kUntouchedValueByte);
    EXPECT_EQ(dialogue.first_values(1201), expected);
}

struct AsciiCase {
    int size;
    std::string text;
    Bytes stored;
};

TEST(DefineTags, AsciiTextIsCutToItsSizeAndZeroFilled) {
    const std::vector<AsciiCase> cases = {
        {5, "abcdefgh", Bytes{'a', 'b', 'c', 'd', 'e'}},
        {5, "ab", Bytes{'a', 'b', 0, 0, 0}},
        {5, "abcde", Bytes{'a', 'b', 'c', 'd', 'e'}},
        {3, "", Bytes{0, 0, 0}},
        {1, "xyz", Bytes{'x'}},
    };
    for (const AsciiCase &c : cases) {
        Dialogue dialogue(1);
        dialogue.run("X\n5\n" + std::to_string(c.size) + "\n\n" + c.text + "\n",
                     kDescriptors | kValues);
        EXPECT_EQ(dialogue.first_values(c.stored.size() + 1), c.stored + Bytes{kUntouchedValueByte})
            << c.size << " '" << c.text << "'";
    }
}

struct ValueCase {
    const char *what;
    std::string answers;  // data type, device data type, value lines
    Bytes stored;
};

TEST(DefineTags, EachValueIsStoredInItsTypesBytes) {
    const std::vector<ValueCase> cases = {
        {"REAL 1.5", "1\n\n1.5\n", bytes_of(1.5f)},
        {"REAL empty", "1\n\n\n", bytes_of(0.0f)},
        {"DOUBLE abc", "2\n\nabc\n", bytes_of(0.0)},
        {"DOUBLE -0.125", "2\n\n-0.125\n", bytes_of(-0.125)},
        {"SHORT 70000", "3\n\n70000\n", Bytes{0x70, 0x11}},  // 4464
        {"SHORT -1", "3\n\n-1\n", Bytes{0xFF, 0xFF}},
        {"LONG 5000000000", "4\n\n5000000000\n", bytes_of(int32_t{705032704})},
        {"LONG empty", "4\n\n\n", Bytes{0, 0, 0, 0}},
        {"TIME seconds 5, milliseconds 250", "6\n\n5\n250\n", Bytes{250, 0, 0, 0, 5, 0, 0, 0}},
        {"TIME empty", "6\n\n\n\n", Bytes(8, 0)},
    };
    for (const ValueCase &c : cases) {
        Dialogue dialogue(1);
        dialogue.run("X\n" + c.answers, kDescriptors | kValues);
        EXPECT_EQ(dialogue.first_values(c.stored.size() + 1), c.stored + Bytes{kUntouchedValueByte})
            << c.what;
    }
}

TEST(DefineTags, ValuesArePackedBackToBack) {
    Dialogue dialogue(3);
    const std::string out =
        dialogue.run("A\n1\n\n1.5\nB\n5\n10\n\nabc\nC\n6\n\n7\n8\n", kDescriptors | kValues);
    EXPECT_EQ(out, name_prompt(1) + data_type_menu("A") + device_menu("REAL  ", "A") +
                       real_prompt("A") + name_prompt(2) + data_type_menu("B") + kAsciiSizePrompt +
                       device_menu("ASCII ", "B") + ascii_prompt("B") + name_prompt(3) +
                       data_type_menu("C") + device_menu("TIME  ", "C") + time_prompts("C"));
    const Bytes expected = bytes_of(1.5f) + Bytes{'a', 'b', 'c', 0, 0, 0, 0, 0, 0, 0} +
                           Bytes{8, 0, 0, 0, 7, 0, 0, 0} + Bytes{kUntouchedValueByte};
    ASSERT_EQ(expected.size(), 23u);  // 4 + 10 + 8, then the first byte not written
    EXPECT_EQ(dialogue.first_values(23), expected);
}

TEST(DefineTags, OutputTypesAndDeadbandsAreStoredAsChosen) {
    Dialogue dialogue(2);
    const std::string out = dialogue.run("A\n1\n2\n2.5\nB\n4\n1\n\n", kOutputTypes | kDeadbands);
    EXPECT_EQ(out, name_prompt(1) + output_type_menu("A") + deadband_menu("A") + kRelativePrompt +
                       name_prompt(2) + output_type_menu("B") + deadband_menu("B") +
                       kAbsolutePrompt);
    EXPECT_EQ(dialogue.output_types, (std::vector<OutputType>{0, 3}));
    EXPECT_EQ(dialogue.deadbands, (std::vector<Deadband>{{2, 2.5f}, {1, 0.0f}}));
}

TEST(DefineTags, WithoutDescriptorsNoTypeOrValueIsAsked) {
    Dialogue dialogue(1);
    const std::string out = dialogue.run("A\n2\n1\n3\n", kValues | kOutputTypes | kDeadbands);
    EXPECT_EQ(out, name_prompt(1) + output_type_menu("A") + deadband_menu("A") + kAbsolutePrompt);
    EXPECT_EQ(dialogue.first_values(16), Bytes(16, kUntouchedValueByte));
    EXPECT_EQ(dialogue.output_types[0], 1);
    EXPECT_EQ(dialogue.deadbands[0], (Deadband{1, 3.0f}));
}

TEST(DefineTags, NamesShorterThan40GetTheCompactLayout) {
    Dialogue dialogue(3);
    const std::string second(39, 'm');
    const std::string out =
        dialogue.run("abc\n" + second + "\n" + std::string(10, 't') + "\n", kNamesOnly);
    EXPECT_EQ(out, name_prompt(1) + name_prompt(2) + name_prompt(3));
    EXPECT_EQ(tag_name_stride, 40);
    std::string expected = "abc" + std::string(36, ' ') + '\0';
    expected += second + '\0';
    expected += std::string(10, 't') + std::string(29, ' ') + '\0';
    expected += std::string(3 * 256 - 120, ' ');
    EXPECT_EQ(dialogue.names, expected);
    EXPECT_EQ(dialogue.names.substr(40, 39), second);  // bytes 40 to 78
    EXPECT_EQ(dialogue.names[79], '\0');
}

TEST(DefineTags, ANameOf40CharactersKeepsThe256ByteEntriesAndTheStride) {
    Dialogue dialogue(3);
    const std::string forty(40, 'f');
    dialogue.run("ab\n" + forty + "\ncd\n", kNamesOnly);
    EXPECT_EQ(tag_name_stride, kStrideBefore);
    EXPECT_EQ(dialogue.names, full_entry("ab", kCallerNameByte) +
                                  full_entry(forty, kCallerNameByte) +
                                  full_entry("cd", kCallerNameByte));
}

TEST(DefineTags, ANameOf300CharactersIsCutTo255) {
    Dialogue dialogue(1);
    const std::string cut(255, 'n');
    const std::string out = dialogue.run(std::string(300, 'n') + "\n1\n\n", kDescriptors);
    EXPECT_EQ(out, name_prompt(1) + data_type_menu(cut) + device_menu("REAL  ", cut));
    EXPECT_EQ(dialogue.names, cut + '\0');
    EXPECT_EQ(tag_name_stride, kStrideBefore);
}

TEST(DefineTags, ALastAnswerWithoutItsLineFeedIsStillAnAnswer) {
    Dialogue dialogue(1);
    const std::string out = dialogue.run("A\n1\n\n1.5", kDescriptors | kValues);
    EXPECT_EQ(out,
              name_prompt(1) + data_type_menu("A") + device_menu("REAL  ", "A") + real_prompt("A"));
    EXPECT_EQ(dialogue.first_values(5), bytes_of(1.5f) + Bytes{kUntouchedValueByte});
}

struct EndCase {
    const char *what;
    std::string input;
    std::string last_prompts;  // what the dialogue printed last
    int tag;                   // the tag during which input ended
    std::function<void(const Dialogue &)> check;
};

TEST(DefineTags, EndOfInputInEveryKindOfPromptEndsTheDialogue) {
    const auto untouched_from = [](std::size_t n) {
        return [n](const Dialogue &d) {
            EXPECT_EQ(d.values[n], kUntouchedValueByte);
            EXPECT_EQ(d.output_types[0], kUntouchedOutputType);
            EXPECT_EQ(d.deadbands[0], kUntouchedDeadband);
        };
    };
    const std::vector<EndCase> cases = {
        {"name", "", name_prompt(1), 1,
         [](const Dialogue &d) {
             EXPECT_EQ(d.descriptors[1], kUntouchedDescriptor);
             // Entries never asked for are 40 blanks without a NUL.
             EXPECT_EQ(d.names, std::string(2 * 256, ' '));
         }},
        {"data type", "A\n", data_type_menu("A"), 1,
         [](const Dialogue &d) { EXPECT_EQ(d.descriptors[1], kUntouchedDescriptor); }},
        {"data type after a wrong answer", "A\n9\n", repeated(data_type_menu("A"), 2), 1,
         [](const Dialogue &d) { EXPECT_EQ(d.descriptors[1], kUntouchedDescriptor); }},
        {"ASCII size", "A\n5\n", kAsciiSizePrompt, 1,
         [](const Dialogue &d) { EXPECT_EQ(d.descriptors[1], kUntouchedDescriptor); }},
        {"device data type", "A\n1\n", device_menu("REAL  ", "A"), 1,
         [](const Dialogue &d) {
             EXPECT_EQ(d.descriptors[1], (TypeDescriptor{1, -9, 4, 1}));
         }},
        {"REAL value", "A\n1\n\n", real_prompt("A"), 1, untouched_from(0)},
        {"DOUBLE value", "A\n2\n\n", double_prompt("A"), 1, untouched_from(0)},
        {"SHORT value", "A\n3\n\n", short_prompt("A"), 1, untouched_from(0)},
        {"LONG value", "A\n4\n\n", long_prompt("A"), 1, untouched_from(0)},
        {"ASCII value", "A\n5\n4\n\n", ascii_prompt("A"), 1, untouched_from(0)},
        {"TIME seconds", "A\n6\n\n", "\nEnter seconds value for tag 'A': ", 1, untouched_from(0)},
        {"TIME milliseconds", "A\n6\n\n5\n", "\nEnter milliseconds  value for tag 'A': ", 1,
         untouched_from(0)},
        {"output type", "A\n1\n\n1.5\n", output_type_menu("A"), 1, untouched_from(4)},
        {"deadband type", "A\n1\n\n1.5\n1\n", deadband_menu("A"), 1,
         [](const Dialogue &d) {
             EXPECT_EQ(d.output_types[0], 0);
             EXPECT_EQ(d.deadbands[0], kUntouchedDeadband);
         }},
        {"deadband value", "A\n1\n\n1.5\n1\n2\n", kRelativePrompt, 1,
         [](const Dialogue &d) { EXPECT_EQ(d.deadbands[0], kUntouchedDeadband); }},
        {"second name", "A\n1\n\n1.5\n1\n2\n3\n", name_prompt(2), 2,
         [](const Dialogue &d) {
             EXPECT_EQ(d.deadbands[0], (Deadband{2, 3.0f}));
             EXPECT_EQ(d.descriptors[2], kUntouchedDescriptor);
             EXPECT_EQ(d.output_types[1], kUntouchedOutputType);
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
