// JSON text made in a report writer: strings that are valid JSON and valid
// UTF-8 whatever bytes they are made of, numbers in their shortest exact
// form, and times in ISO 8601 in UTC.
#include "json_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>

#include "hex_digits.h"

namespace tavlo::json {

namespace {

using posix::kHexDigits;

// The bytes that stand for themselves in a JSON string: printable ASCII
// but '"' and '\\'.
constexpr auto kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x7F; ++c) plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

bool is_continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Bytes of the well-formed UTF-8 sequence of two or more bytes at `p`, 0
// when none starts there.
std::size_t utf8_sequence(const unsigned char *p, std::size_t left) {
    const unsigned char lead = p[0];
    std::size_t length = 0;
    unsigned char low = 0x80;  // the bounds of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;   // no overlong form
        if (lead == 0xED) high = 0x9F;  // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;   // no overlong form
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (!is_continuation(p[k])) return 0;
    }
    return length;
}

void write_escape(ts::ReportWriter &out, unsigned char c) {
    switch (c) {
        case '"': out.text("\\\""); return;
        case '\\': out.text("\\\\"); return;
        case '\b': out.text("\\b"); return;
        case '\t': out.text("\\t"); return;
        case '\n': out.text("\\n"); return;
        case '\f': out.text("\\f"); return;
        case '\r': out.text("\\r"); return;
        default: {
            const char escape[] = {'\\', 'u', '0', '0', kHexDigits[c >> 4], kHexDigits[c & 0xF]};
            out.text({escape, sizeof escape});
        }
    }
}

template <typename Real>
void write_real(ts::ReportWriter &out, Real value) {
    if (std::isnan(value)) {
        out.text("\"nan\"");
    } else if (std::isinf(value)) {
        out.text(value < 0 ? "\"-inf\"" : "\"inf\"");
    } else {
        char text[32];  // the longest shortest double, "-2.2250738585072014e-308", is 24
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        out.text({text, static_cast<std::size_t>(end - text)});
    }
}

// Writes `value` as `digits` decimal digits ending just before `end`.
void put_digits(char *end, int64_t value, int digits) {
    for (int k = 0; k < digits; ++k, value /= 10) *--end = static_cast<char>('0' + value % 10);
}

}  // namespace

bool write_string(ts::ReportWriter &out, std::string_view bytes) {
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    bool all_utf8 = true;
    std::size_t written = 0;  // bytes before this one are out
    std::size_t k = 0;
    out.text("\"");
    while (k < bytes.size()) {
        const unsigned char c = p[k];
        if (kPlainBytes[c]) {
            ++k;
            continue;
        }
        if (c >= 0x80) {
            if (const std::size_t length = utf8_sequence(p + k, bytes.size() - k)) {
                k += length;
                continue;
            }
            all_utf8 = false;
        }
        out.text(bytes.substr(written, k - written));
        write_escape(out, c);
        written = ++k;
    }
    out.text(bytes.substr(written));
    out.text("\"");
    return all_utf8;
}

void write_hex(ts::ReportWriter &out, std::string_view bytes) {
    out.text("\"");
    char pair[2];
    for (const char byte : bytes) {
        const auto c = static_cast<unsigned char>(byte);
        pair[0] = kHexDigits[c >> 4];
        pair[1] = kHexDigits[c & 0xF];
        out.text({pair, 2});
    }
    out.text("\"");
}

void write_text_member(ts::ReportWriter &out, std::string_view key, std::string_view bytes) {
    out.text("\"");
    out.text(key);
    out.text("\":");
    if (write_string(out, bytes)) return;
    out.text(",\"");
    out.text(key);
    out.text("_hex\":");
    write_hex(out, bytes);
}

void write_number(ts::ReportWriter &out, float value) {
    write_real(out, value);
}

void write_number(ts::ReportWriter &out, double value) {
    write_real(out, value);
}

void format_utc_time(char (&text)[kUtcTimeLength], int64_t seconds, int32_t milliseconds) {
    constexpr int64_t kSecondsPerDay = 86400;
    int64_t days = seconds / kSecondsPerDay;
    int64_t second_of_day = seconds % kSecondsPerDay;
    if (second_of_day < 0) {
        second_of_day += kSecondsPerDay;
        --days;
    }
    // The date of the last day asked for is kept: most times share it.
    static int64_t last_day = -1;
    static char date[] = "\"1970-01-01T";
    if (days != last_day) {
        last_day = days;
        // The civil date of a day count, in eras of 400 years from 0000-03-01.
        const int64_t shifted = days + 719468;
        const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
        const int64_t day_of_era = shifted - era * 146097;
        const int64_t year_of_era =
            (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
        const int64_t day_of_year =
            day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
        const int64_t month_index = (5 * day_of_year + 2) / 153;  // from March
        const int64_t month = month_index < 10 ? month_index + 3 : month_index - 9;
        put_digits(date + 5, year_of_era + era * 400 + (month <= 2 ? 1 : 0), 4);
        put_digits(date + 8, month, 2);
        put_digits(date + 11, day_of_year - (153 * month_index + 2) / 5 + 1, 2);
    }
    std::memcpy(text, date, sizeof date - 1);
    std::memcpy(text + 12, "00:00:00.000Z\"", kUtcTimeLength - 12);
    put_digits(text + 14, second_of_day / 3600, 2);
    put_digits(text + 17, second_of_day / 60 % 60, 2);
    put_digits(text + 20, second_of_day % 60, 2);
    put_digits(text + 24, milliseconds, 3);
}

void write_utc_time(ts::ReportWriter &out, int64_t seconds, int32_t milliseconds) {
    char text[kUtcTimeLength];
    format_utc_time(text, seconds, milliseconds);
    out.text({text, sizeof text});
}

}  // namespace tavlo::json
