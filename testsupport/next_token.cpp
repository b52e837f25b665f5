// next_token: cuts one token out of a line of a tag-list file.
#include <algorithm>
#include <cstring>

#include "tavlo_testsupport.h"

namespace {

// What separates tokens.
bool is_separator(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// What a word stops at, and what is skipped before one: white space of any
// kind.
bool is_white(char c) {
    return is_separator(c) || c == '\r' || c == '\v' || c == '\f';
}

const char *skip_separators(const char *cursor) {
    while (is_separator(*cursor)) ++cursor;
    return cursor;
}

// Whether `position` lies within the line, its NUL included.
bool within_line(const char *line, int32_t position) {
    if (position < 0) return false;
    const auto offset = static_cast<std::size_t>(position);
    return strnlen(line, offset) == offset;
}

}  // namespace

extern "C" void next_token(const char *line, int32_t *position, char *field, int32_t field_size,
                           int32_t *length) {
    *length = 0;
    if (field_size < 1) return;
    field[0] = '\0';
    if (!within_line(line, *position) || line[*position] == '\0') return;

    const auto room = static_cast<std::size_t>(field_size - 1);
    const char *cursor = skip_separators(line + *position);
    std::size_t stored = 0;
    if (*cursor == '"') {
        // Up to the closing quote; without one, up to the end of the line.
        const char *text = cursor + 1;
        const char *end = text + std::strcspn(text, "\"\n");
        stored = std::min(static_cast<std::size_t>(end - text), room);
        std::memcpy(field, text, stored);
        cursor = *end == '"' ? end + 1 : end;
    } else {
        while (is_white(*cursor)) ++cursor;
        while (stored < room && cursor[stored] != '\0' && !is_white(cursor[stored])) ++stored;
        std::memcpy(field, cursor, stored);
        cursor += stored;
    }
    field[stored] = '\0';
    *length = static_cast<int32_t>(stored);
    *position = static_cast<int32_t>(skip_separators(cursor) - line);
}
