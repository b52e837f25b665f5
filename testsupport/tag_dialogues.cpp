// The two tag definition dialogues on the console, define_tags and
// define_historical_tags, and their questions and menus.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "console_input.h"
#include "tag_arrays.h"
#include "tavlo.h"
#include "tavlo_testsupport.h"

// The name question of the tag definition dialogues and the finishing of
// their tag-name arrays.
namespace tavlo::ts {

// Each name entered goes into the caller's array of 256-byte entries and
// into a working copy in the compact 40-byte layout; finish() chooses the
// layout the caller receives.
class TagNameEntry {
public:
    TagNameEntry(char *names, int32_t count) : names_(names), compact_(count) {}

    // False when the working copy could not be allocated.
    bool ok() const { return compact_.ok(); }

    // Asks for the name of tag `slot` + 1 and stores it in entry `slot` of
    // both arrays. False, storing nothing, when input ended.
    bool ask(int32_t slot);

    // The latest name as entered (at most 255 characters).
    const char *name() const { return name_; }

    // When every name stored is shorter than 40 characters, rewrites the
    // caller's array in the compact layout and sets tag_name_stride to 40;
    // otherwise leaves both as they are. An entry never asked for is 40
    // blanks without a NUL in the compact layout, as the tag-list loaders
    // leave an empty slot.
    void finish();

private:
    char *names_;
    CompactNames compact_;
    std::size_t longest_ = 0;
    char name_[kFullNameEntry] = {};
};

// The data-type and device-data-type menus of the tag definition dialogues.

// Prints the data-type menu, its question reading "Please select <asked_as>
// for tag '<name>': ", until the answer is a choice from 1 to 6, then for an
// ASCII tag asks its size until it is from 1 to 1200. Writes the data type,
// the size and an element count of 1 into `entry`. False, with `entry`
// untouched, when input ends first.
bool ask_data_type(const char *asked_as, const char *name, TypeDescriptor &entry);

// Prints the device-data-type menu until the answer is a choice from 0 to
// 14 (an empty line is 0: the tag's data type) and writes the device data
// type into `entry`, whose data type ask_data_type has set. False, with `entry` untouched, when
// input ends first.
bool ask_device_data_type(const char *name, TypeDescriptor &entry);

// The value question of the tag definition dialogue.

// Asks for a value of the entry's data type (one of the data-type menu's)
// and writes its `size` bytes at `position`, packed as the value buffer
// holds it. An empty answer is 0; ASCII text is cut to the size and
// zero-filled. False, writing nothing, when input ended.
bool ask_value(const TypeDescriptor &entry, const char *name, unsigned char *position);

// The output-type and deadband menus of the tag definition dialogue.

// Prints the output-type menu until the answer is a choice from 1 to 4 and
// stores the choice minus 1. False, storing nothing, when input ended.
bool ask_output_type(const char *name, OutputType &output_type);

// Prints the deadband-type menu until the answer is 1 (absolute) or 2
// (relative), asks for the deadband's value (an empty line is 0.0) and
// stores both. False, storing nothing, when input ended.
bool ask_deadband(const char *name, Deadband &deadband);

// The frame of the two tag definition dialogues: the working name copy, the
// descriptor header, the tags one after another, and the early stops.

// "\nInput ended during tag <tag> of <count>: the tag definition stops here."
void report_input_ended(int32_t tag, int32_t count);

// "\nNo memory for a working copy of <count> tag names: no tag is defined."
void report_no_name_memory(int32_t count);

// Holds one dialogue of `count` tags. A NULL `names` or a negative count
// asks nothing and touches nothing; so does a dialogue without its working
// name copy, after reporting so. Otherwise it writes the descriptor header
// when `descriptors` is given, calls define_tag(name_entry, slot) for each
// tag until one returns false (input ended: reported, no further tag asked)
// and finishes the names.
template <typename DefineTag>
void hold_tag_dialogue(char *names, TypeDescriptor *descriptors, int32_t count,
                       DefineTag define_tag) {
    if (names == nullptr || count < 0) return;
    TagNameEntry name_entry(names, count);
    if (!name_entry.ok()) {
        report_no_name_memory(count);
        return;
    }
    if (descriptors != nullptr) descriptors[0] = descriptor_header(count);
    for (int32_t slot = 0; slot < count; ++slot) {
        if (!define_tag(name_entry, slot)) {
            report_input_ended(slot + 1, count);
            break;
        }
    }
    name_entry.finish();
}

bool TagNameEntry::ask(int32_t slot) {
    std::printf("\nPlease enter tagname %d: ", slot + 1);
    read_line(name_, kFullNameEntry);
    if (console_input_ended()) return false;
    const std::size_t length = std::strlen(name_);
    longest_ = std::max(longest_, length);
    store_full_name(names_, slot, name_, length);
    compact_.store(slot, name_, length);
    return true;
}

void TagNameEntry::finish() {
    if (longest_ < static_cast<std::size_t>(kCompactNameEntry))
        compact_.rewrite(names_, compact_.count());
}

namespace {

struct DataTypeChoice {
    int16_t data_type;
    int32_t size;  // 0: asked
};

// Choices 1 to 6 of the data-type menu.
constexpr DataTypeChoice kDataTypeChoices[] = {
    {TAVLO_TYPE_REAL, 4}, {TAVLO_TYPE_DOUBLE, 8}, {TAVLO_TYPE_SHORT, 2},
    {TAVLO_TYPE_LONG, 4}, {TAVLO_TYPE_ASCII, 0},  {TAVLO_TYPE_TIME, 8},
};
constexpr int kDataTypeChoiceCount = sizeof kDataTypeChoices / sizeof kDataTypeChoices[0];

// Choices 1 to 14 of the device-data-type menu; 0 is the tag's data type.
constexpr int16_t kDeviceDataTypeChoices[] = {
    TAVLO_TYPE_REAL,
    TAVLO_TYPE_DOUBLE,
    TAVLO_TYPE_SHORT,
    TAVLO_TYPE_LONG,
    TAVLO_TYPE_ASCII,
    TAVLO_TYPE_TIME,
    TAVLO_TYPE_ENUMERATION,
    TAVLO_TYPE_ORDINAL,
    TAVLO_TYPE_DELTA_TIME,
    TAVLO_TYPE_EXTERNAL_IDENTIFIER,
    TAVLO_TYPE_CONTROL_BLOCK_ANTI_WINDUP,
    TAVLO_TYPE_CONTROL_BLOCK_STATUS,
    TAVLO_TYPE_ENGINEERING_UNIT,
    TAVLO_TYPE_DESCRIPTION,
};
constexpr int kDeviceDataTypeChoiceCount =
    sizeof kDeviceDataTypeChoices / sizeof kDeviceDataTypeChoices[0];

constexpr const char kDataTypeMenu[] =
    "\nData types"
    "\n----------"
    "\n1) 32-bit floating point ( real   )"
    "\n2) 64-bit floating point ( double )"
    "\n3) 16-bit signed integer ( short  )"
    "\n4) 32-bit signed integer ( long   )"
    "\n5) Character string      ( ASCII  )"
    "\n6) Time entity";

constexpr const char kDeviceDataTypeChoicesText[] =
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
    "\n14) Description";

// Reads a menu answer with read_int; false when input ended.
bool read_choice(int &choice) {
    read_int(&choice);
    return !console_input_ended();
}

bool ask_ascii_size(int32_t &size) {
    int answer = 0;
    do {
        std::printf("\nEnter ASCII data size, 0 < datasize <= %d: ", kLargestAsciiSize);
        if (!read_choice(answer)) return false;
    } while (answer < 1 || answer > kLargestAsciiSize);
    size = answer;
    return true;
}

}  // namespace

bool ask_data_type(const char *asked_as, const char *name, TypeDescriptor &entry) {
    int choice = 0;
    do {
        std::fputs(kDataTypeMenu, stdout);
        std::printf("\n\nPlease select %s for tag '%s': ", asked_as, name);
        if (!read_choice(choice)) return false;
    } while (choice < 1 || choice > kDataTypeChoiceCount);
    const DataTypeChoice &chosen = kDataTypeChoices[choice - 1];
    int32_t size = chosen.size;
    if (chosen.data_type == TAVLO_TYPE_ASCII && !ask_ascii_size(size)) return false;
    entry.data_type = chosen.data_type;
    entry.size = size;
    entry.element_count = 1;
    return true;
}

bool ask_device_data_type(const char *name, TypeDescriptor &entry) {
    int choice = 0;
    do {
        std::printf("\nDevice data types\n-----------------\n 0) or <CR> Default=[%s]",
                    short_type_name(entry.data_type));
        std::fputs(kDeviceDataTypeChoicesText, stdout);
        std::printf("\n\nPlease select device data type for tag '%s'", name);
        std::fputs("\nPress RETURN for default: ", stdout);
        if (!read_choice(choice)) return false;
    } while (choice < 0 || choice > kDeviceDataTypeChoiceCount);
    entry.device_data_type = choice == 0 ? entry.data_type : kDeviceDataTypeChoices[choice - 1];
    return true;
}

namespace {

void print_value_prompt(const char *kind, const char *name) {
    std::printf("\nEnter %s value for tag '%s': ", kind, name);
}

// Reads a number with `reader` into a target that starts at 0.
template <typename T>
bool read_number(int32_t (*reader)(T *), T &value) {
    value = T{};
    reader(&value);
    return !console_input_ended();
}

template <typename T>
bool ask_number(const char *kind, int32_t (*reader)(T *), const char *name,
                unsigned char *position) {
    print_value_prompt(kind, name);
    T value;
    if (!read_number(reader, value)) return false;
    std::memcpy(position, &value, sizeof value);
    return true;
}

bool ask_text(const char *name, int32_t size, unsigned char *position) {
    print_value_prompt("ASCII", name);
    char text[kLargestAsciiSize + 1] = {};
    read_line(text, size + 1);
    if (console_input_ended()) return false;
    // The characters, then the zero bytes that followed them in `text`.
    std::memcpy(position, text, static_cast<std::size_t>(size));
    return true;
}

bool ask_time(const char *name, unsigned char *position) {
    TimeRecord time{};
    print_value_prompt("seconds", name);
    if (!read_number(read_long, time.seconds)) return false;
    std::printf("\nEnter milliseconds  value for tag '%s': ", name);
    if (!read_number(read_long, time.milliseconds)) return false;
    std::memcpy(position, &time, sizeof time);
    return true;
}

}  // namespace

bool ask_value(const TypeDescriptor &entry, const char *name, unsigned char *position) {
    switch (entry.data_type) {
        case TAVLO_TYPE_REAL: return ask_number("real", read_float, name, position);
        case TAVLO_TYPE_SHORT: return ask_number("short", read_short, name, position);
        case TAVLO_TYPE_ASCII: return ask_text(name, entry.size, position);
        case TAVLO_TYPE_LONG: return ask_number("long", read_long, name, position);
        case TAVLO_TYPE_DOUBLE: return ask_number("double", read_double, name, position);
        default: return ask_time(name, position);  // TIME, the menu's last type
    }
}

bool ask_output_type(const char *name, OutputType &output_type) {
    int32_t choice = 0;
    do {
        std::fputs(
            "\nOutput Types"
            "\n------------"
            "\n1)Output the value"
            "\n2)Output Not a Number"
            "\n3)Do not output the value"
            "\n4)Output a suspect value",
            stdout);
        std::printf("\n\nPlease select output type for tag '%s': ", name);
        choice = 0;
        read_long(&choice);
        if (console_input_ended()) return false;
    } while (choice < 1 || choice > 4);
    output_type = choice - 1;
    return true;
}

bool ask_deadband(const char *name, Deadband &deadband) {
    int type = 0;
    do {
        std::fputs(
            "\nDeadband Type"
            "\n------------"
            "\n1)Absolute"
            "\n2)Relative",
            stdout);
        std::printf("\n\nPlease select deadband type for tag '%s': ", name);
        read_int(&type);
        if (console_input_ended()) return false;
    } while (type != TAVLO_DEADBAND_ABSOLUTE && type != TAVLO_DEADBAND_RELATIVE);
    float value = 0.0f;
    prompt_float(type == TAVLO_DEADBAND_ABSOLUTE ? "\nPlease enter absolute deadband value: "
                                                 : "\nPlease enter relative deadband percentage: ",
                 &value);
    if (console_input_ended()) return false;
    deadband = Deadband{type, value};
    return true;
}

// The early stops of the two tag definition dialogues.

void report_input_ended(int32_t tag, int32_t count) {
    std::printf("\nInput ended during tag %d of %d: the tag definition stops here.", tag, count);
}

void report_no_name_memory(int32_t count) {
    std::printf("\nNo memory for a working copy of %d tag names: no tag is defined.", count);
}

}  // namespace tavlo::ts

// define_tags: the console dialogue that defines a list of tags with their
// types, values, output types and deadbands.
using namespace tavlo::ts;

namespace {

// The caller's records beside the names; null when not asked for.
struct TagRecords {
    TypeDescriptor *descriptors;
    unsigned char *next_value;  // where the next value goes in the value buffer
    OutputType *output_types;
    Deadband *deadbands;
};

// Asks every question about tag `slot` + 1; false when input ended.
bool define_tag(TagNameEntry &names, int32_t slot, TagRecords &records) {
    if (!names.ask(slot)) return false;
    const char *name = names.name();
    if (records.descriptors != nullptr) {
        TypeDescriptor &entry = records.descriptors[slot + 1];
        if (!ask_data_type("data type", name, entry)) return false;
        if (!ask_device_data_type(name, entry)) return false;
        if (records.next_value != nullptr) {
            if (!ask_value(entry, name, records.next_value)) return false;
            records.next_value += entry.size;
        }
    }
    if (records.output_types != nullptr && !ask_output_type(name, records.output_types[slot])) {
        return false;
    }
    return records.deadbands == nullptr || ask_deadband(name, records.deadbands[slot]);
}

}  // namespace

extern "C" void define_tags(char *names, TypeDescriptor *descriptors, void *values,
                            OutputType *output_types, Deadband *deadbands, int32_t count) {
    TagRecords records{descriptors, static_cast<unsigned char *>(values), output_types, deadbands};
    hold_tag_dialogue(names, descriptors, count, [&](TagNameEntry &name_entry, int32_t slot) {
        return define_tag(name_entry, slot, records);
    });
}

// define_historical_tags: the console dialogue that defines the tags of a
// historical read with their types, value counts and periods.
using namespace tavlo::ts;

namespace {

// A time or date answer is read into a field of this size: HH-MM-SS and
// MM-DD-YY are 8 characters each, longer answers are cut to 8.
constexpr int32_t kTimeDateField = 9;

// The caller's records beside the names; null when not asked for.
struct HistoricalRecords {
    TypeDescriptor *descriptors;
    int32_t *value_counts;
    TimeRecord *start_times;
    TimeRecord *end_times;
};

// Prints the prompt and reads an answer until `accept` takes it; false when
// input ended.
template <typename Accept>
bool ask_until_accepted(const char *prompt, Accept accept) {
    for (;;) {
        char field[kTimeDateField] = {};
        prompt_line(prompt, field, kTimeDateField);
        if (console_input_ended()) return false;
        if (accept(field)) return true;
    }
}

// Asks for a time of day and a date and stores their sum, the instant of
// that local standard time. A date that puts the instant beyond a signed
// 32-bit seconds count is asked again, as a date that parse_date rejects.
// False when input ended.
bool ask_instant(const char *time_prompt, const char *date_prompt, TimeRecord &record) {
    int32_t seconds_into_day = 0;
    int64_t instant = 0;
    const bool answered =
        ask_until_accepted(
            time_prompt,
            [&](const char *text) { return parse_time_of_day(text, &seconds_into_day) == 0; }) &&
        ask_until_accepted(date_prompt, [&](const char *text) {
            int32_t midnight = 0;
            if (parse_date(text, &midnight) != 0) return false;
            instant = int64_t{midnight} + seconds_into_day;
            return instant <= INT32_MAX;
        });
    if (answered) record = TimeRecord{0, static_cast<int32_t>(instant)};
    return answered;
}

bool ask_value_count(int32_t &value_count) {
    int32_t answer = 0;
    prompt_long("\nPlease enter number of historical values: ", &answer);
    if (console_input_ended()) return false;
    value_count = answer;
    return true;
}

// Asks every question about tag `slot` + 1; false when input ended.
bool define_tag(TagNameEntry &names, int32_t slot, const HistoricalRecords &records) {
    if (!names.ask(slot)) return false;
    if (records.descriptors == nullptr) return true;
    const char *name = names.name();
    TypeDescriptor &entry = records.descriptors[slot + 1];
    if (!ask_data_type("type", name, entry)) return false;
    if (!ask_device_data_type(name, entry)) return false;
    if (records.value_counts != nullptr && !ask_value_count(records.value_counts[slot])) {
        return false;
    }
    if (records.start_times != nullptr &&
        !ask_instant("\nPlease enter start time as HH-MM-SS : ",
                     "\nPlease enter start date as MM-DD-YY : ", records.start_times[slot])) {
        return false;
    }
    return records.end_times == nullptr ||
           ask_instant("\nPlease enter end time as HH-MM-SS : ",
                       "\nPlease enter end date as MM-DD-YY : ", records.end_times[slot]);
}

}  // namespace

extern "C" void define_historical_tags(char *names, TypeDescriptor *descriptors,
                                       int32_t *value_counts, TimeRecord *start_times,
                                       TimeRecord *end_times, int32_t count) {
    const HistoricalRecords records{descriptors, value_counts, start_times, end_times};
    hold_tag_dialogue(names, descriptors, count, [&](TagNameEntry &name_entry, int32_t slot) {
        return define_tag(name_entry, slot, records);
    });
}
