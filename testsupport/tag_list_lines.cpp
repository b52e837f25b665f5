// The four line formats of a tag-list file: names only, types, values and
// deadbands.
#include "tag_list_lines.h"

#include <cstdio>

#include "line_tokens.h"
#include "packed_values.h"
#include "setting_keywords.h"
#include "tag_arrays.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

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

}  // namespace tavlo::ts
