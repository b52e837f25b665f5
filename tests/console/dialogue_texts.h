// What the tag definition dialogues print, written out for the tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavlo::testing {

inline std::string name_prompt(int tag) {
    return "\nPlease enter tagname " + std::to_string(tag) + ": ";
}

inline const std::string kDataTypeList =
    "\nData types"
    "\n----------"
    "\n1) 32-bit floating point ( real   )"
    "\n2) 64-bit floating point ( double )"
    "\n3) 16-bit signed integer ( short  )"
    "\n4) 32-bit signed integer ( long   )"
    "\n5) Character string      ( ASCII  )"
    "\n6) Time entity";

// The data-type menu of define_tags.
inline std::string data_type_menu(const std::string &name) {
    return kDataTypeList + "\n\nPlease select data type for tag '" + name + "': ";
}

// The data-type menu of define_historical_tags.
inline std::string historical_data_type_menu(const std::string &name) {
    return kDataTypeList + "\n\nPlease select type for tag '" + name + "': ";
}

inline const std::string kAsciiSizePrompt = "\nEnter ASCII data size, 0 < datasize <= 1200: ";

// `default_name` is the six-character short name of the tag's data type.
inline std::string device_menu(const std::string &default_name, const std::string &name) {
    return "\nDevice data types"
           "\n-----------------"
           "\n 0) or <CR> Default=[" +
           default_name +
           "]"
           "\n 1) 32-bit floating point ( real   )"
           "\n 2) 64-bit floating point ( double )"
           "\n 3) 16-bit signed integer ( short  )"
           "\n 4) 32-bit signed integer ( long   )"
           "\n 5) Character string      ( ASCII  )"
           "\n 6) Time entity"
           "\n 7) Enumeration"
           "\n 8) Ordinal"
           "\n 9) Delta time"
           "\n10) External Identifier"
           "\n11) Control Block AntiWindup"
           "\n12) Control Block Status"
           "\n13) Engineering Units"
           "\n14) Description"
           "\n\nPlease select device data type for tag '" +
           name +
           "'"
           "\nPress RETURN for default: ";
}

inline std::string real_prompt(const std::string &name) {
    return "\nEnter real value for tag '" + name + "': ";
}
inline std::string double_prompt(const std::string &name) {
    return "\nEnter double value for tag '" + name + "': ";
}
inline std::string short_prompt(const std::string &name) {
    return "\nEnter short value for tag '" + name + "': ";
}
inline std::string long_prompt(const std::string &name) {
    return "\nEnter long value for tag '" + name + "': ";
}
inline std::string ascii_prompt(const std::string &name) {
    return "\nEnter ASCII value for tag '" + name + "': ";
}
inline std::string time_prompts(const std::string &name) {
    return "\nEnter seconds value for tag '" + name +
           "': " + "\nEnter milliseconds  value for tag '" + name + "': ";
}

inline std::string output_type_menu(const std::string &name) {
    return "\nOutput Types"
           "\n------------"
           "\n1)Output the value"
           "\n2)Output Not a Number"
           "\n3)Do not output the value"
           "\n4)Output a suspect value"
           "\n\nPlease select output type for tag '" +
           name + "': ";
}

inline std::string deadband_menu(const std::string &name) {
    return "\nDeadband Type"
           "\n------------"
           "\n1)Absolute"
           "\n2)Relative"
           "\n\nPlease select deadband type for tag '" +
           name + "': ";
}

inline const std::string kAbsolutePrompt = "\nPlease enter absolute deadband value: ";
inline const std::string kRelativePrompt = "\nPlease enter relative deadband percentage: ";

inline const std::string kValueCountPrompt = "\nPlease enter number of historical values: ";
inline const std::string kStartTimePrompt = "\nPlease enter start time as HH-MM-SS : ";
inline const std::string kStartDatePrompt = "\nPlease enter start date as MM-DD-YY : ";
inline const std::string kEndTimePrompt = "\nPlease enter end time as HH-MM-SS : ";
inline const std::string kEndDatePrompt = "\nPlease enter end date as MM-DD-YY : ";

inline std::string input_ended(int tag, int count) {
    return "\nInput ended during tag " + std::to_string(tag) + " of " + std::to_string(count) +
           ": the tag definition stops here.";
}

// Checks that a dialogue's output ends with `last_prompts` and then the one
// line saying that input ended during tag `tag` of `count`.
inline void expect_ended_after(const std::string &out, const std::string &last_prompts, int tag,
                               int count, const std::string &what) {
    const std::string ending = last_prompts + input_ended(tag, count);
    ASSERT_GE(out.size(), ending.size()) << what;
    EXPECT_EQ(out.substr(out.size() - ending.size()), ending) << what;
    EXPECT_EQ(out.find("\nInput ended"), out.size() - input_ended(tag, count).size())
        << what << ": one line about the end of input";
}

// The texts one after another.
inline std::string joined(const std::vector<std::string> &texts) {
    std::string result;
    for (const std::string &text : texts) result += text;
    return result;
}

// `text` repeated `times` times.
inline std::string repeated(const std::string &text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

}  // namespace tavlo::testing
