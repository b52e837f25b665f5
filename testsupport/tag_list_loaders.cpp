// The tag-list loaders: the file, its tokens and keywords, the four line
// formats, the packed values and the historical read's tags.

#include "tag_list_loaders.h"

#include <sys/stat.h>

#include <algorithm>
#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "tag_arrays.h"
#include "tavlo.h"
#include "tavlo_testsupport.h"
#include "type_keywords.h"

// Tables of the keywords of tag-list files, and the lookup in them.
namespace tavlo::ts {

using records::Keyword;

// The code of the first of the `count` keywords at `table` that is the
// whole token (case-sensitive), or -1; -1 for a null token too.
int32_t lookup_keyword(const Keyword *table, std::size_t count, const char *token) {
    if (token == nullptr) return -1;
    const std::string_view word(token);
    for (std::size_t k = 0; k < count; ++k) {
        if (table[k].word == word) return table[k].code;
    }
    return -1;
}

template <std::size_t N>
int32_t lookup_keyword(const Keyword (&table)[N], const char *token) {
    return lookup_keyword(table, N, token);
}

// The output-type and deadband-type keywords of tag-list files.

// GOOD 0, NAN 1, NONE 2, SUSPECT 3; -1 for any other token.
int32_t output_type_from_keyword(const char *token);

// ABS 1, REL 2; -1 for any other token.
int32_t deadband_type_from_keyword(const char *token);

// Values of a tag-list file, converted and appended to the packed buffer.

// Converts the value token by the data type (1 to 6) and writes it at
// `cursor`: REAL as "%f", SHORT as "%hd", LONG as "%ld" into 32 bits, DOUBLE
// as "%lf", TIME as "%ld" seconds in a TimeRecord with milliseconds 0, ASCII
// as the token's `length` characters without a NUL. A number that does not
// convert is 0. Returns the bytes written: the tag's size.
int32_t append_value(int32_t data_type, const char *token, int32_t length, unsigned char *cursor);

// The tokens of one line of a tag-list file, read from left to right.

// A token in a field of N characters, and its length.
template <std::size_t N>
struct Token {
    char text[N];
    int32_t length;

    bool empty() const { return length == 0; }
};

// The token fields of a line: 256 characters each; values get 1200.
using Field = Token<256>;
using ValueField = Token<1200>;

class LineTokens {
public:
    explicit LineTokens(const char *line) : line_(line) {}

    // Cuts the next token into `token`; empty when the line has no more.
    template <std::size_t N>
    void read(Token<N> &token) {
        next_token(line_, &position_, token.text, static_cast<int32_t>(N), &token.length);
    }

private:
    const char *line_;
    int32_t position_ = 0;
};

// The error that ends a tag-list load: recorded in the caller's block with
// the line it was found on, its message printed for a console load; and the
// words of each code.

void LoadErrors::fail(int32_t code, const char *message) {
    if (print_messages_ && message != nullptr) std::fputs(message, stdout);
    TAVLO_CLIENT_LDBLK(TAVLO_LOAD_FACILITY, code, block_);
    failed_ = true;
    error_line_ = line_;
}

void LoadErrors::fail_for_tag(int32_t code, const char *what, const char *name) {
    if (print_messages_) std::printf("%s for tag '%s'", what, name);
    fail(code);
}

void LoadErrors::fail_data_type(const char *name) {
    fail_for_tag(TAVLO_LOAD_BAD_TYPE, "\nError in data type", name);
}

void LoadErrors::fail_opening(const char *file_name) {
    if (print_messages_) std::printf("\nError opening tag list file '%s'", file_name);
    fail(TAVLO_LOAD_OPEN_FAILED);
}

void LoadErrors::fail_too_many_tags() {
    fail(TAVLO_LOAD_TOO_MANY_TAGS, "\nError: Too many tags");
}

}  // namespace tavlo::ts

extern "C" const char *tag_list_error_text(int32_t code) {
    switch (code) {
        case TAVLO_LOAD_OPEN_FAILED: return "the file cannot be opened or read";
        case TAVLO_LOAD_BAD_DEADBAND_TYPE: return "the deadband type is neither ABS nor REL";
        case TAVLO_LOAD_NO_VALUE:
            return "the value is missing, or output types were given without a value buffer";
        case TAVLO_LOAD_BAD_OUTPUT_TYPE:
            return "the output type is missing or not GOOD, NAN, NONE or SUSPECT";
        case TAVLO_LOAD_BAD_SIZE: return "the ASCII size is 0 or below, or not a number";
        case TAVLO_LOAD_BAD_TYPE:
            return "the data type is missing or not a keyword, or the device data type is not "
                   "a keyword";
        case TAVLO_LOAD_TOO_MANY_TAGS: return "the file has fewer lines than the count of tags";
        case TAVLO_LOAD_NO_MEMORY: return "no memory for the working copy of the names";
        case TAVLO_LOAD_NEGATIVE_COUNT: return "the count of tags is negative";
        default: return "not an error of a tag-list load";
    }
}

// next_token: cuts one token out of a line of a tag-list file.
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

// The data-type and device-data-type keywords of tag-list files.
using tavlo::records::kDataTypeKeywords;
using tavlo::records::kTypeKeywords;
using tavlo::ts::lookup_keyword;

extern "C" int32_t data_type_from_keyword(const char *token) {
    return lookup_keyword(kTypeKeywords, kDataTypeKeywords, token);
}

extern "C" int32_t device_data_type_from_keyword(const char *token) {
    return lookup_keyword(kTypeKeywords, token);
}

namespace tavlo::ts {

namespace {

const Keyword kOutputTypes[] = {{"GOOD", TAVLO_OUTPUT_GOOD},
                                {"NAN", TAVLO_OUTPUT_NAN},
                                {"NONE", TAVLO_OUTPUT_NONE},
                                {"SUSPECT", TAVLO_OUTPUT_SUSPECT}};

const Keyword kDeadbandTypes[] = {{"ABS", TAVLO_DEADBAND_ABSOLUTE},
                                  {"REL", TAVLO_DEADBAND_RELATIVE}};

}  // namespace

int32_t output_type_from_keyword(const char *token) {
    return lookup_keyword(kOutputTypes, token);
}

int32_t deadband_type_from_keyword(const char *token) {
    return lookup_keyword(kDeadbandTypes, token);
}

namespace {

// Copies the value's bytes to `cursor`; values need no alignment there.
template <typename T>
int32_t put(const T &value, unsigned char *cursor) {
    std::memcpy(cursor, &value, sizeof value);
    return static_cast<int32_t>(sizeof value);
}

}  // namespace

int32_t append_value(int32_t data_type, const char *token, int32_t length, unsigned char *cursor) {
    switch (data_type) {
        case TAVLO_TYPE_REAL: {
            float value = 0;
            std::sscanf(token, "%f", &value);
            return put(value, cursor);
        }
        case TAVLO_TYPE_SHORT: {
            int16_t value = 0;
            std::sscanf(token, "%" SCNd16, &value);
            return put(value, cursor);
        }
        case TAVLO_TYPE_ASCII:
            std::memcpy(cursor, token, static_cast<std::size_t>(length));
            return length;
        case TAVLO_TYPE_LONG: {
            int32_t value = 0;
            std::sscanf(token, "%" SCNd32, &value);
            return put(value, cursor);
        }
        case TAVLO_TYPE_DOUBLE: {
            double value = 0;
            std::sscanf(token, "%lf", &value);
            return put(value, cursor);
        }
        default: {  // TAVLO_TYPE_TIME
            TimeRecord value{0, 0};
            std::sscanf(token, "%" SCNd32, &value.seconds);
            return put(value, cursor);
        }
    }
}

// The file of a tag-list load: named by the caller or asked for at the
// console, and opened.

namespace {
// The file name asked for: at most 255 characters and a NUL.
constexpr int32_t kFileNameSize = 256;

// A folder opens for reading, but holds no lines to read.
bool is_folder(std::FILE *file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

TagListFile open_tag_list_file(const char *path, LoadErrors &errors) {
    TagListFile file(path == nullptr ? nullptr : std::fopen(path, "r"));
    if (file && is_folder(file.get())) file.reset();
    if (!file) errors.fail_opening(path == nullptr ? "" : path);
    return file;
}

TagListFile open_asked_tag_list_file(LoadErrors &errors) {
    char file_name[kFileNameSize];
    prompt_line("\n\nPlease enter filename: ", file_name, kFileNameSize);
    return open_tag_list_file(file_name, errors);
}

// The four line formats of a tag-list file: names only, types, values and
// deadbands.

namespace {

struct TypeCodes {
    int32_t data_type;
    int32_t device_data_type;
};

// The codes of a line's data type and device data type tokens; a missing
// device data type is the data type. False after the error.
bool read_type_codes(const Field &name, const Field &data_type, const Field &device_data_type,
                     LoadErrors &errors, TypeCodes &codes) {
    codes.data_type = data_type_from_keyword(data_type.text);
    if (codes.data_type == -1) {
        errors.fail_data_type(name.text);
        return false;
    }
    codes.device_data_type = device_data_type.empty()
                                 ? codes.data_type
                                 : device_data_type_from_keyword(device_data_type.text);
    if (codes.device_data_type == -1) {
        errors.fail_for_tag(TAVLO_LOAD_BAD_TYPE, "\nError in device data type", name.text);
        return false;
    }
    return true;
}

TypeDescriptor descriptor_of(const TypeCodes &codes, int32_t size) {
    return {static_cast<int16_t>(codes.data_type), static_cast<int16_t>(codes.device_data_type),
            size, 1};
}

}  // namespace

LineFormat line_format(const TagListOutputs &outputs) {
    if (outputs.descriptors == nullptr) return LineFormat::kNamesOnly;
    if (outputs.deadbands != nullptr) return LineFormat::kDeadbands;
    if (outputs.output_types != nullptr) return LineFormat::kValues;
    return LineFormat::kTypes;
}

TagListLines::TagListLines(const TagListOutputs &outputs, LoadedNames &names, LoadErrors &errors)
    : outputs_(outputs),
      format_(line_format(outputs)),
      names_(names),
      value_cursor_(static_cast<unsigned char *>(outputs.values)),
      errors_(errors) {}

bool TagListLines::handle(int32_t slot, const char *line) {
    switch (format_) {
        case LineFormat::kNamesOnly: return names_only_line(slot, line);
        case LineFormat::kTypes: return types_line(slot, line);
        case LineFormat::kValues: return values_line(slot, line);
        case LineFormat::kDeadbands: return deadbands_line(slot, line);
    }
    return false;
}

bool TagListLines::names_only_line(int32_t slot, const char *line) {
    LineTokens tokens(line);
    Field name;
    tokens.read(name);
    if (!name.empty()) names_.store(slot, name.text, name.length);
    return true;
}

bool TagListLines::types_line(int32_t slot, const char *line) {
    LineTokens tokens(line);
    Field name, data_type, device_data_type;
    tokens.read(name);
    tokens.read(data_type);
    tokens.read(device_data_type);
    TypeCodes codes;
    if (!read_type_codes(name, data_type, device_data_type, errors_, codes)) return false;
    outputs_.descriptors[slot + 1] = descriptor_of(codes, data_type_size(codes.data_type));
    names_.store(slot, name.text, name.length);
    return true;
}

bool TagListLines::values_line(int32_t slot, const char *line) {
    if (value_cursor_ == nullptr) {
        errors_.fail(TAVLO_LOAD_NO_VALUE, "\nInternal error\nOutput types defined without values");
        return false;
    }
    LineTokens tokens(line);
    Field name, data_type, output_type, device_data_type;
    ValueField value;
    tokens.read(name);
    tokens.read(data_type);
    tokens.read(value);
    tokens.read(output_type);
    tokens.read(device_data_type);
    TypeCodes codes;
    if (!read_type_codes(name, data_type, device_data_type, errors_, codes)) return false;
    if (output_type.empty()) {
        errors_.fail_for_tag(TAVLO_LOAD_BAD_OUTPUT_TYPE, "\nNo output type specified", name.text);
        return false;
    }
    if (value.empty()) {
        errors_.fail_for_tag(TAVLO_LOAD_NO_VALUE, "\nNo value specified", name.text);
        return false;
    }
    const int32_t output_code = output_type_from_keyword(output_type.text);
    if (output_code == -1) {
        errors_.fail_for_tag(TAVLO_LOAD_BAD_OUTPUT_TYPE, "\nUnknown output type", name.text);
        return false;
    }
    outputs_.output_types[slot] = output_code;
    const int32_t size = append_value(codes.data_type, value.text, value.length, value_cursor_);
    value_cursor_ += size;
    outputs_.descriptors[slot + 1] = descriptor_of(codes, size);
    names_.store(slot, name.text, name.length);
    return true;
}

bool TagListLines::deadbands_line(int32_t slot, const char *line) {
    LineTokens tokens(line);
    Field name, data_type, deadband_type, deadband_value, device_data_type;
    tokens.read(name);
    tokens.read(data_type);
    tokens.read(deadband_type);
    tokens.read(deadband_value);
    tokens.read(device_data_type);
    float value = 0;
    std::sscanf(deadband_value.text, "%f", &value);
    if (name.empty() || data_type.empty()) return true;
    TypeCodes codes;
    if (!read_type_codes(name, data_type, device_data_type, errors_, codes)) return false;
    const int32_t type = deadband_type_from_keyword(deadband_type.text);
    if (type == -1) {
        errors_.fail_for_tag(TAVLO_LOAD_BAD_DEADBAND_TYPE, "\nUnknown deadband type", name.text);
        return false;
    }
    outputs_.deadbands[slot] = {type, value};
    outputs_.descriptors[slot + 1] = descriptor_of(codes, data_type_size(codes.data_type));
    names_.store(slot, name.text, name.length);
    return true;
}

// load_tag_list and load_tag_list_file: a list of tags from a tag-list file
// in one of four line formats.

int32_t read_tag_list(std::FILE *file, LoadCall call, const TagListOutputs &outputs, int32_t count,
                      CompactNames &working_copy, LoadErrors &errors) {
    LoadedNames names(outputs.names, working_copy);
    TagListLines lines(outputs, names, errors);
    const int32_t filled =
        read_tag_lines(file, call, count, errors,
                       [&](int32_t slot, const char *line) { return lines.handle(slot, line); });
    const bool console = call == LoadCall::kConsole;
    if (outputs.descriptors != nullptr) {
        outputs.descriptors[0] = descriptor_header(console ? count : filled);
    }
    if (errors.failed()) return filled;
    names.rewrite_if_short(console ? count : filled);
    if (console && filled < count) errors.fail_too_many_tags();
    return filled;
}

namespace {

int32_t load_tags(LoadCall call, const char *path, const TagListOutputs &outputs, int32_t count,
                  StatusBlock *block, int32_t *error_line) {
    return run_tag_list_load(call, path, count, block, error_line,
                             [&](std::FILE *file, CompactNames &working_copy, LoadErrors &errors) {
                                 return read_tag_list(file, call, outputs, count, working_copy,
                                                      errors);
                             });
}

}  // namespace

}  // namespace tavlo::ts

extern "C" void load_tag_list(char *names, TypeDescriptor *descriptors, void *values,
                              OutputType *output_types, Deadband *deadbands, int32_t count,
                              StatusBlock *status_block) {
    tavlo::ts::load_tags(tavlo::ts::LoadCall::kConsole, nullptr,
                         {names, descriptors, values, output_types, deadbands}, count, status_block,
                         nullptr);
}

extern "C" int32_t load_tag_list_file(const char *path, char *names, TypeDescriptor *descriptors,
                                      void *values, OutputType *output_types, Deadband *deadbands,
                                      int32_t count, StatusBlock *status_block,
                                      int32_t *error_line) {
    return tavlo::ts::load_tags(tavlo::ts::LoadCall::kPath, path,
                                {names, descriptors, values, output_types, deadbands}, count,
                                status_block, error_line);
}

// load_historical_tag_list and load_historical_tag_list_file: the tags of a
// historical read from a tag-list file, with their value counts and ASCII
// sizes.
namespace tavlo::ts {

namespace {

// A decimal number as atoi reads it (0 when none leads the text), taken as
// the nearest 32-bit number when it is beyond 32 bits.
int32_t whole_number(const char *text) {
    const long long value = std::strtoll(text, nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

// Stores the tag of one line into slot `slot`; false after its error.
bool read_historical_line(const char *line, int32_t slot, LoadedNames &names,
                          TypeDescriptor *descriptors, int32_t *value_counts, LoadErrors &errors) {
    LineTokens tokens(line);
    Field name, value_count, data_type, ascii_size;
    tokens.read(name);
    tokens.read(value_count);
    tokens.read(data_type);
    tokens.read(ascii_size);
    const int32_t type = data_type_from_keyword(data_type.text);
    if (type == -1) {
        errors.fail_data_type(name.text);
        return false;
    }
    TypeDescriptor &descriptor = descriptors[slot + 1];
    descriptor.data_type = static_cast<int16_t>(type);
    descriptor.device_data_type = TAVLO_TYPE_NONE;
    descriptor.element_count = 1;
    const int32_t size = type == TAVLO_TYPE_ASCII && !ascii_size.empty()
                             ? whole_number(ascii_size.text)
                             : data_type_size(type);
    if (size < 0) {
        errors.fail_for_tag(TAVLO_LOAD_BAD_SIZE, "\nError: Negative data size", name.text);
        return false;
    }
    if (size == 0) {
        errors.fail_for_tag(TAVLO_LOAD_BAD_SIZE, "\nError: Zero data size", name.text);
        return false;
    }
    descriptor.size = size;
    names.store(slot, name.text, name.length);
    value_counts[slot] = whole_number(value_count.text);
    return true;
}

}  // namespace

int32_t read_historical_tag_list(std::FILE *file, LoadCall call, char *names,
                                 TypeDescriptor *descriptors, int32_t *value_counts, int32_t count,
                                 CompactNames &working_copy, LoadErrors &errors) {
    LoadedNames loaded(names, working_copy);
    const int32_t filled =
        read_tag_lines(file, call, count, errors, [&](int32_t slot, const char *line) {
            return read_historical_line(line, slot, loaded, descriptors, value_counts, errors);
        });
    descriptors[0] = descriptor_header(call == LoadCall::kConsole ? count : filled);
    if (errors.failed()) return filled;
    if (call == LoadCall::kConsole && filled < count) {
        errors.fail_too_many_tags();
        return filled;
    }
    loaded.rewrite_if_short(filled);
    return filled;
}

namespace {

int32_t load_historical_tags(LoadCall call, const char *path, char *names,
                             TypeDescriptor *descriptors, int32_t *value_counts, int32_t count,
                             StatusBlock *block, int32_t *error_line) {
    return run_tag_list_load(call, path, count, block, error_line,
                             [&](std::FILE *file, CompactNames &working_copy, LoadErrors &errors) {
                                 return read_historical_tag_list(file, call, names, descriptors,
                                                                 value_counts, count, working_copy,
                                                                 errors);
                             });
}

}  // namespace

}  // namespace tavlo::ts

extern "C" void load_historical_tag_list(char *names, TypeDescriptor *descriptors,
                                         int32_t *value_counts, int32_t count,
                                         StatusBlock *status_block) {
    tavlo::ts::load_historical_tags(tavlo::ts::LoadCall::kConsole, nullptr, names, descriptors,
                                    value_counts, count, status_block, nullptr);
}

extern "C" int32_t load_historical_tag_list_file(const char *path, char *names,
                                                 TypeDescriptor *descriptors, int32_t *value_counts,
                                                 int32_t count, StatusBlock *status_block,
                                                 int32_t *error_line) {
    return tavlo::ts::load_historical_tags(tavlo::ts::LoadCall::kPath, path, names, descriptors,
                                           value_counts, count, status_block, error_line);
}
