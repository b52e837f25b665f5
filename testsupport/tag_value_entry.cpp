// The value question of the tag definition dialogue.
#include "tag_value_entry.h"

#include <cstdio>
#include <cstring>

#include "console_input.h"
#include "tag_type_menus.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

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

}  // namespace tavlo::ts
