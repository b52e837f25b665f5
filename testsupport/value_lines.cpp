// Lines shared by the tag value report and the historical value report.
#include "value_lines.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "asctime_text.h"

namespace tavlo::ts {

namespace {

// The largest ASCII field a value line prints; larger sizes print empty.
constexpr int32_t kLargestAsciiField = 999999999;

// The asctime text of the record's local time in `text`, and its length;
// 0 when the client library has no valid time for the record.
std::size_t local_time_text(const TimeRecord &time, char (&text)[kAsctimeTextSize]) {
    const std::tm *local = TAVLO_CLIENT_LOCALTIME(&time);
    return local != nullptr ? format_asctime(*local, text) : 0;
}

// "%-*.*s" of the value with `size` as both numbers: at most `size`
// characters, up to a NUL, left-justified in a field of `size` (1 to the
// largest field). The value need not hold a NUL.
void write_ascii_field(ReportWriter &out, const unsigned char *value, int32_t size) {
    const std::string_view characters = ascii_value(value, size);
    out.text(characters);
    out.blanks(static_cast<std::size_t>(size) - characters.size());
}

}  // namespace

std::string_view data_type_name(int32_t data_type) {
    static const std::string_view kNames[] = {"REAL",   "SHORT", "ASCII",    "LONG",
                                              "DOUBLE", "TIME",  "STRUCTURE"};
    return data_type >= 1 && data_type <= 7 ? kNames[data_type - 1] : std::string_view();
}

std::string_view device_data_type_name(int32_t device_data_type) {
    static const std::string_view kNames[] = {
        "REAL",
        "SHORT",
        "ASCII",
        "LONG",
        "DOUBLE",
        "TIME",
        "STRUCTURE",
        "ENUMERATION",
        "ORDINAL",
        "DELTA TIME",
        "EXTERNAL IDENTIFIER",
        "CONTROL BLOCK ANTI WINDUP",
        "CONTROL BLOCK STATUS",
        "ENGINEERING UNIT",
        "DESCRIPTION",
    };
    const bool known = device_data_type >= 1 && device_data_type <= 15;
    return known ? kNames[device_data_type - 1] : std::string_view();
}

std::string_view ascii_value(const unsigned char *value, int32_t size) {
    if (size < 1 || size > kLargestAsciiField) return {};
    const char *characters = reinterpret_cast<const char *>(value);
    return {characters, strnlen(characters, static_cast<std::size_t>(size))};
}

void write_type_line(ReportWriter &out, int32_t data_type) {
    const std::string_view name = data_type_name(data_type);
    out.text("\nType: ");
    out.text(name.empty() ? "UNKNOWN TYPE" : name);
}

void write_device_type_text(ReportWriter &out, int32_t device_data_type) {
    const std::string_view name = device_data_type_name(device_data_type);
    if (name.empty()) {
        out.text("  UNKNOWN DEVICE DATA TYPE");
    } else {
        out.text("  Device Data Type: ");
        out.text(name);
    }
}

bool write_value(ReportWriter &out, int32_t data_type, int32_t size, const unsigned char *value) {
    switch (data_type) {
        case TAVLO_TYPE_REAL:
            out.text("\nValue= ");
            out.fixed6(static_cast<double>(copy_value<float>(value, size)));
            return true;
        case TAVLO_TYPE_SHORT:
            out.text("\nValue= ");
            out.integer(copy_value<int16_t>(value, size));
            return true;
        case TAVLO_TYPE_ASCII:
            out.text("\nValue= ");
            if (size >= 1 && size <= kLargestAsciiField) write_ascii_field(out, value, size);
            return true;
        case TAVLO_TYPE_LONG:
            out.text("\nValue= ");
            out.integer(copy_value<int32_t>(value, size));
            return true;
        case TAVLO_TYPE_DOUBLE:
            out.text("\nValue= ");
            out.fixed6(copy_value<double>(value, size));
            return true;
        case TAVLO_TYPE_TIME: {
            const auto time = copy_value<TimeRecord>(value, size);
            char text[kAsctimeTextSize];
            const std::size_t length = local_time_text(time, text);
            out.text("\nTime Value: Milliseconds= ");
            out.integer(time.milliseconds);
            out.text("  Seconds= ");
            out.integer(time.seconds);
            if (length > 0) {
                out.text("\n");
                out.text({text, length});
            }
            return true;
        }
        case TAVLO_TYPE_STRUCTURE:
            out.text("\nStructures are currently not supported");
            return true;
        default: out.text("\nUnknown data type"); return false;
    }
}

void write_time_line(ReportWriter &out, std::string_view prefix, std::string_view invalid,
                     const TimeRecord &time) {
    char text[kAsctimeTextSize];
    const std::size_t length = local_time_text(time, text);
    if (length > 0) {
        out.text(prefix);
        out.text({text, length});
    } else {
        out.text(invalid);
    }
}

int name_length(const char *name, int32_t stride) {
    if (name == nullptr) return 0;
    const std::size_t length =
        stride > 0 ? strnlen(name, static_cast<std::size_t>(stride)) : std::strlen(name);
    return static_cast<int>(length);
}

}  // namespace tavlo::ts
