// The lines of the reports, the asctime() text and the report writer.

#include "report_lines.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

// The text of a report, gathered in a buffer and handed to a stream in one
// write: numbers converted with std::to_chars, texts and blanks copied.
namespace tavlo::ts {

namespace {

// "%lld" of the smallest long long.
constexpr std::size_t kLongestInteger = 20;
// "%f" of the largest double in magnitude: a sign, 309 digits, the point
// and six decimals.
constexpr std::size_t kLongestFixed = 317;

}  // namespace

void ReportWriter::integer(long long value) {
    char *at = room(kLongestInteger);
    used_ = static_cast<std::size_t>(std::to_chars(at, at + kLongestInteger, value).ptr - buffer_);
}

void ReportWriter::fixed6(double value) {
    char *at = room(kLongestFixed);
    const auto end = std::to_chars(at, at + kLongestFixed, value, std::chars_format::fixed, 6).ptr;
    used_ = static_cast<std::size_t>(end - buffer_);
}

void ReportWriter::blanks(std::size_t count) {
    while (count > 0) {
        if (used_ == kCapacity) flush();
        const std::size_t piece = std::min(count, kCapacity - used_);
        std::memset(buffer_ + used_, ' ', piece);
        used_ += piece;
        count -= piece;
    }
}

void ReportWriter::flush() {
    if (used_ > 0) put(buffer_, used_);
    used_ = 0;
}

char *ReportWriter::room(std::size_t bytes) {
    if (kCapacity - used_ < bytes) flush();
    return buffer_ + used_;
}

void ReportWriter::spill(std::string_view part) {
    flush();
    if (part.size() < kCapacity) {
        text(part);
    } else {
        put(part.data(), part.size());
    }
}

void ReportWriter::put(const char *bytes, std::size_t size) {
    if (text_ != nullptr) {
        text_->append(bytes, size);
    } else {
        std::fwrite(bytes, 1, size, stream_);
    }
}

// The standard asctime() text of a calendar time, made safely.

namespace {

// The longest text of any fields: names, "%3d", three "%.2d" of INT_MIN, a
// year of 1900 + INT_MIN, the blanks, colons and the newline.
constexpr std::size_t kLongestText = 3 + 1 + 3 + 11 + 1 + 3 * 11 + 2 + 1 + 11 + 1;

// Two decimal digits of a value from 0 to 99.
char *digit_pair(char *at, int value) {
    *at++ = static_cast<char>('0' + value / 10);
    *at++ = static_cast<char>('0' + value % 10);
    return at;
}

// "%3d": right-justified in three characters.
char *right_justified(char *at, int value) {
    if (value >= 0 && value < 100) {
        *at++ = ' ';
        at = digit_pair(at, value);
        if (value < 10) at[-2] = ' ';
        return at;
    }
    char digits[12];
    const auto length =
        static_cast<std::size_t>(std::to_chars(digits, digits + 12, value).ptr - digits);
    if (length < 3) at = std::fill_n(at, 3 - length, ' ');
    return std::copy_n(digits, length, at);
}

// "%.2d": the sign, then at least two digits.
char *two_digits(char *at, int value) {
    if (value >= 0 && value < 100) return digit_pair(at, value);
    if (value < 0) *at++ = '-';
    const unsigned magnitude =
        value < 0 ? 0U - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    if (magnitude < 10) *at++ = '0';
    return std::to_chars(at, at + 10, magnitude).ptr;
}

}  // namespace

std::size_t format_asctime(const std::tm &time, char (&text)[kAsctimeTextSize]) {
    static const char kDays[] = "SunMonTueWedThuFriSat";
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char *day = (time.tm_wday >= 0 && time.tm_wday < 7) ? kDays + 3 * time.tm_wday : "???";
    const char *month = (time.tm_mon >= 0 && time.tm_mon < 12) ? kMonths + 3 * time.tm_mon : "???";
    char whole[kLongestText];
    char *at = std::copy_n(day, 3, whole);
    *at++ = ' ';
    at = std::copy_n(month, 3, at);
    at = right_justified(at, time.tm_mday);
    *at++ = ' ';
    at = two_digits(at, time.tm_hour);
    *at++ = ':';
    at = two_digits(at, time.tm_min);
    *at++ = ':';
    at = two_digits(at, time.tm_sec);
    *at++ = ' ';
    const long long year = 1900LL + time.tm_year;
    if (year >= 1000 && year <= 9999) {
        at = digit_pair(at, static_cast<int>(year / 100));
        at = digit_pair(at, static_cast<int>(year % 100));
    } else {
        at = std::to_chars(at, whole + kLongestText, year).ptr;
    }
    *at++ = '\n';
    const auto length = std::min(static_cast<std::size_t>(at - whole), kAsctimeTextSize - 1);
    std::memcpy(text, whole, length);
    text[length] = '\0';
    return length;
}

// Lines shared by the tag value report and the historical value report.

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

// Status text: the three lines that describe one tag's TagStatus.
namespace {

// What stands between "Status is " and " (code)" for the codes 0 to -72,
// indexed by -code. -7 has no entry (an empty text).
constexpr std::string_view kStatusTexts[] = {
    "initial",
    "GOOD",
    "no status",
    "SUSPECT",
    "clamped high",
    "clamped low",
    "BAD",
    {},
    "'No permission to read or write'",
    "'Out of Range'",
    "'Deadband Conversion Error'",
    "'Engineering Unit Conversion Error'",
    "'Request Failed'",
    "'Bad Tag'",
    "'Point or Group or Device Turned Off'",
    "'Undefined Value",
    "'Unsolicited cancel failed'",
    "'Unsolicited declare failed'",
    "'WFAR'",
    "'MERVAN_ERR'",
    "'Tag and internal id mismatched'",
    "'FIELD_ACC'",
    "'V_F_UNDEF'",
    "'CLAMPED'",
    "'UNDEF_QUAL'",
    "'Output Open Bad'",
    "'Output Open'",
    "'Low Limit Input Open Bad'",
    "'Upper Limit Input Open Bad'",
    "'Low Limit Input Open'",
    "'Upper Limit Input Open'",
    "'Input Open'",
    "'Maintenance Bad'",
    "'Maintenance Quality Status'",
    "'Service Off Bad'",
    "'Service off Quality Status'",
    "'Invalid NEFV Calibration QST'",
    "'Invalid Calibration QST'",
    "'Invalid NEFV QST'",
    "'Calibration'",
    "'Communication Error Bad'",
    "'Communication Error QST'",
    "'Cannot validate'",
    "'RECOVERED'",
    "'Bad Calibration Input Open CAL_IOPM_B'",
    "'Bad Calibration NEFV Input Open'",
    "'Bad Calibration NEFV'",
    "'Calibration NEFV'",
    "'Calibration Input Open'",
    "'Data is questionable'",
    "'Data is unavailable'",
    "'Data type not supported'",
    "'Invalid data type usage'",
    "'Process I/O Not Ready'",
    "'Conditional'",
    "'Clamp Minus'",
    "'Clamp Plus'",
    "'Path To Process Failed'",
    "'Status not from Process'",
    "'Manual High'",
    "'Manual Low'",
    "'Manual'",
    "'Quality High'",
    "'Quality Low'",
    "'HIGH'",
    "'LOW'",
    "'No Data'",
    "'Bad Low'",
    "'Bad Data'",
    "'Bad Calculation'",
    "'Archiving Off'",
    "'Bad High'",
    "'INTER'",
};
constexpr int32_t kTableCodes = sizeof kStatusTexts / sizeof kStatusTexts[0];
static_assert(kTableCodes == 73, "codes 0 to -72");
constexpr int32_t kNoFieldCode = -32768;

}  // namespace

namespace tavlo::ts {

std::string_view status_text(int32_t code) {
    if (code <= 0 && code > -kTableCodes) return kStatusTexts[-code];
    if (code == kNoFieldCode) return "'No Field'";
    return {};
}

std::string_view unquoted_status_text(int32_t code) {
    std::string_view text = status_text(code);
    if (!text.empty() && text.front() == '\'') text.remove_prefix(1);
    if (!text.empty() && text.back() == '\'') text.remove_suffix(1);
    return text;
}

void write_tag_status(ReportWriter &out, const TagStatus &tag_status) {
    const int32_t code = tag_status.status;
    if (const std::string_view text = status_text(code); !text.empty()) {
        out.text("\nStatus is ");
        out.text(text);
        out.text(" (");
    } else {
        out.text("\nUnknown status (");
    }
    out.integer(code);
    out.text(")\nFacility=");
    out.integer(tag_status.facility);
    out.text("\nDriver Status=");
    out.integer(tag_status.driver_status);
}

// The blocks of lines of the tag value report, one per tag, for all tags of
// a message or for a chosen few.

namespace {

bool ends_report(const records::MessageView &tags, int32_t k) {
    return tags.values != nullptr && tags.descriptors != nullptr &&
           data_type_name(tags.descriptors[k + 1].data_type).empty();
}

// One tag's block. Returns false after "\nUnknown data type": the report
// ends there.
bool write_tag_block(ReportWriter &out, const records::MessageView &tags, int32_t k,
                     const char *name, int32_t name_stride, const unsigned char *value) {
    if (tags.count < 2) {
        out.text("\nTagname : ");
    } else {
        out.text("\nTagname [");
        out.integer(k + 1);
        out.text("]: ");
    }
    if (name != nullptr) out.text({name, static_cast<std::size_t>(name_length(name, name_stride))});
    if (tags.descriptors != nullptr) {
        const TypeDescriptor &descriptor = tags.descriptors[k + 1];
        write_type_line(out, descriptor.data_type);
        write_device_type_text(out, descriptor.device_data_type);
        if (value != nullptr && !write_value(out, descriptor.data_type, descriptor.size, value)) {
            return false;
        }
    }
    if (tags.timestamps != nullptr) {
        write_time_line(out, "\nTimestamp: ", "\nInvalid timestamp", tags.timestamps[k]);
    }
    if (tags.statuses != nullptr) write_tag_status(out, tags.statuses[k]);
    out.text("\n");
    return true;
}

}  // namespace

int32_t reported_tags(const records::MessageView &tags) {
    for (int32_t k = 0; k < tags.count; ++k) {
        if (ends_report(tags, k)) return k + 1;
    }
    return tags.count;
}

void write_tag_blocks(ReportWriter &out, const records::MessageView &tags,
                      const unsigned char *shown) {
    const int32_t name_stride = tags.name_stride;
    const char *name = tags.names;
    const unsigned char *value = tags.values;
    for (int32_t k = 0; k < tags.count; ++k) {
        if (shown == nullptr || shown[k] != 0) {
            if (!write_tag_block(out, tags, k, name, name_stride, value)) return;
        } else if (ends_report(tags, k)) {
            return;
        }
        // Values move on only where the report reads them: with descriptors.
        if (value != nullptr && tags.descriptors != nullptr) {
            value += value_step(tags.descriptors[k + 1].size);
        }
        if (name != nullptr && name_stride > 0) name += name_stride;
    }
}

}  // namespace tavlo::ts
