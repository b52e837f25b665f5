// The data-type and device-data-type menus of the tag definition dialogues.
#include "tag_type_menus.h"

#include <cstdio>

#include "console_input.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

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

}  // namespace tavlo::ts
