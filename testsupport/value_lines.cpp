// Lines shared by the tag value report and the historical value report.
#include "value_lines.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

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

// Whether the local time of `time` is known; its asctime text in `text`.
bool local_time_text(const TimeRecord &time, char (&text)[kAsctimeTextSize]) {
    const std::tm *local = TAVLO_CLIENT_LOCALTIME(&time);
    if (local == nullptr) return false;
    format_asctime(*local, text);
    return true;
}

}  // namespace

void print_type_line(int32_t data_type) {
    static const char *const kLines[] = {"\nType: REAL",     "\nType: SHORT",  "\nType: ASCII",
                                         "\nType: LONG",     "\nType: DOUBLE", "\nType: TIME",
                                         "\nType: STRUCTURE"};
    const bool known = data_type >= 1 && data_type <= 7;
    std::fputs(known ? kLines[data_type - 1] : "\nType: UNKNOWN TYPE", stdout);
}

void print_device_type_text(int32_t device_data_type) {
    static const char *const kTexts[] = {
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
    std::fputs(known ? kTexts[device_data_type - 1] : "  UNKNOWN DEVICE DATA TYPE", stdout);
}

bool print_value(int32_t data_type, int32_t size, const unsigned char *value) {
    switch (data_type) {
        case TAVLO_TYPE_REAL:
            std::printf("\nValue= %f", static_cast<double>(copy_value<float>(value, size)));
            return true;
        case TAVLO_TYPE_SHORT:
            std::printf("\nValue= %d", copy_value<int16_t>(value, size));
            return true;
        case TAVLO_TYPE_ASCII:
            if (size < 1 || size > kLargestAsciiField) {
                std::printf("\nValue= ");
            } else {
                // Precision bounds the read: the value need not hold a NUL.
                std::printf("\nValue= %-*.*s", size, size, reinterpret_cast<const char *>(value));
            }
            return true;
        case TAVLO_TYPE_LONG:
            std::printf("\nValue= %ld", static_cast<long>(copy_value<int32_t>(value, size)));
            return true;
        case TAVLO_TYPE_DOUBLE:
            std::printf("\nValue= %f", copy_value<double>(value, size));
            return true;
        case TAVLO_TYPE_TIME: {
            const auto time = copy_value<TimeRecord>(value, size);
            char text[kAsctimeTextSize];
            const bool known = local_time_text(time, text);
            std::printf("\nTime Value: Milliseconds= %d  Seconds= %d", time.milliseconds,
                        time.seconds);
            if (known) std::printf("\n%s", text);
            return true;
        }
        case TAVLO_TYPE_STRUCTURE:
            std::printf("\nStructures are currently not supported");
            return true;
        default: std::printf("\nUnknown data type"); return false;
    }
}

void print_time_line(const char *prefix, const char *invalid, const TimeRecord &time) {
    char text[kAsctimeTextSize];
    if (local_time_text(time, text)) {
        std::printf("%s%s", prefix, text);
    } else {
        std::fputs(invalid, stdout);
    }
}

int name_length(const char *name, int32_t stride) {
    if (name == nullptr) return 0;
    const std::size_t length =
        stride > 0 ? strnlen(name, static_cast<std::size_t>(stride)) : std::strlen(name);
    return static_cast<int>(length);
}

}  // namespace tavlo::ts
