// JSON text made in a report writer: strings that are valid JSON and valid
// UTF-8 whatever bytes they are made of, numbers in their shortest exact
// form, and times in ISO 8601 in UTC.
#pragma once

#include <cstdint>
#include <string_view>

#include "report_lines.h"

namespace tavlo::json {

// Writes `bytes` as a JSON string in double quotes. UTF-8 passes as it
// stands, except '"' and '\', written \" and \\, and the control characters
// U+0000 to U+001F and U+007F, written \b \t \n \f \r or \u00xx (hex in
// lower case). Each byte that is not part of well-formed UTF-8 (a stray
// continuation byte, a sequence cut short, an overlong form, a surrogate, a
// code point above U+10FFFF, the bytes C0, C1 and F5 to FF) is written as
// \u00xx of its own value. Returns false when there was such a byte.
bool write_string(ts::ReportWriter &out, std::string_view bytes);

// The bytes in lower-case hex, two digits each, in double quotes.
void write_hex(ts::ReportWriter &out, std::string_view bytes);

// "key":STRING, followed by ,"key_hex":HEX when some of the bytes are not
// UTF-8, so that none is lost: the string alone cannot tell such a byte from
// the character of the same number.
void write_text_member(ts::ReportWriter &out, std::string_view key, std::string_view bytes);

// The shortest decimal text that reads back as the same number ("0.1",
// "1e+20", "-0"); infinities and NaN, which JSON lacks, as the strings
// "inf", "-inf" and "nan".
void write_number(ts::ReportWriter &out, float value);
void write_number(ts::ReportWriter &out, double value);

// Characters of a time in ISO 8601, its double quotes included.
constexpr std::size_t kUtcTimeLength = 26;

// Puts "YYYY-MM-DDThh:mm:ss.mmmZ" in double quotes at `text`: the time
// `seconds` after 1970-01-01 00:00:00 UTC (up to the end of the year 9999)
// and `milliseconds` (0 to 999) more. Keeps the date of the last call, for
// one thread.
void format_utc_time(char (&text)[kUtcTimeLength], int64_t seconds, int32_t milliseconds);

// The same, written.
void write_utc_time(ts::ReportWriter &out, int64_t seconds, int32_t milliseconds);

}  // namespace tavlo::json
