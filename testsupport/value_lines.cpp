// Lines shared by the tag value report and the historical value report.
#include "value_lines.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "asctime_text.h"

namespace tavlo::ts {

namespace {

// A typed value, copied out of the packed buffer byte by byte. Bytes beyond
// `size` (a size smaller than the type's width) read as zero.
template <typename T>
T copy_value(const unsigned char *value, int32_t size) {
    T result{};
    const auto bytes = static_cast<std::size_t>(std::clamp<int32_t>(size, 0, sizeof(T)));
    std::memcpy(&result, value, bytes);
    return result;
}

// The largest ASCII field a value line prints; larger sizes print empty.
constexpr int32_t kLargestAsciiField = 999999999;

// The asctime text of the record's local time in `text`, and its length;
// 0 when the client library has no valid time for the record.
std::size_t local_time_text(const TimeRecord &time, char (&text)[kAsctimeTextSize]) {
    const std::tm *local = TAVLO_CLIENT_LOCALTIME(&time);
    return local != nullptr ? format_asctime(*local, text) : 0;
}

// "%-*.*s" of the value with `size` as both numbers: at most `size`
// characters, up to a NUL, left-justified in a field of `size`. The value
// need not hold a NUL.
void write_ascii_field(ReportWriter &out, const unsigned char *value, int32_t size) {
    const auto field = static_cast<std::size_t>(size);
    const char *characters = reinterpret_cast<const char *>(value);
    const std::size_t length = strnlen(characters, field);
    out.text({characters, length});
    out.blanks(field - length);
}

}  // namespace

void write_type_line(ReportWriter &out, int32_t data_type) {
    static const std::string_view kLines[] = {"\nType: REAL",     "\nType: SHORT",  "\nType: ASCII",
                                              "\nType: LONG",     "\nType: DOUBLE", "\nType: TIME",
                                              "\nType: STRUCTURE"};
    const bool known = data_type >= 1 && data_type <= 7;
    out.text(known ? kLines[data_type - 1] : "\nType: UNKNOWN TYPE");
}

void write_device_type_text(ReportWriter &out, int32_t device_data_type) {
    static const std::string_view kTexts[] = {
        "  Device Data Type: REAL",
        "  Device Data Type: SHORT",
        "  Device Data Type: ASCII",
        "  Device Data Type: LONG",
        "  Device Data Type: DOUBLE",
        "  Device Data Type: TIME",
        "  Device Data Type: STRUCTURE",
        "  Device Data Type: ENUMERATION",
        "  Device Data Type: ORDINAL",
        "  Device Data Type: DELTA TIME",
        "  Device Data Type: EXTERNAL IDENTIFIER",
        "  Device Data Type: CONTROL BLOCK ANTI WINDUP",
        "  Device Data Type: CONTROL BLOCK STATUS",
        "  Device Data Type: ENGINEERING UNIT",
        "  Device Data Type: DESCRIPTION",
    };
    const bool known = device_data_type >= 1 && device_data_type <= 15;
    out.text(known ? kTexts[device_data_type - 1] : "  UNKNOWN DEVICE DATA TYPE");
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
