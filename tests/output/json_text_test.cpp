// JSON text: strings valid whatever the bytes, the shortest numbers that
// read back the same, and times in UTC.
#include "json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>

namespace {

namespace json = tavlo::json;
using tavlo::ts::ReportWriter;

// What `write` writes with a report writer.
template <typename Write>
std::string written(Write write) {
    char *text = nullptr;
    std::size_t length = 0;
    std::FILE *stream = open_memstream(&text, &length);
    {
        ReportWriter out(stream);
        write(out);
    }
    std::fclose(stream);
    std::string result(text, length);
    std::free(text);
    return result;
}

TEST(JsonString, EscapesWhatJsonMustAndEveryByteThatIsNotUtf8) {
    struct Case {
        std::string bytes;
        std::string json;
        bool utf8;
    };
    const std::string utf8 = "\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80 \xf4\x8f\xbf\xbf \xc2\x80";
    const Case cases[] = {
        {"", R"("")", true},
        {"say \"hi\" \\ /", R"("say \"hi\" \\ /")", true},
        {std::string("\0\x01\b\t\n\f\r\x1b\x1f\x7f", 10),
         R"("\u0000\u0001\b\t\n\f\r\u001b\u001f\u007f")", true},
        {utf8, '"' + utf8 + '"', true},
        {"\x80", R"("\u0080")", false},                                // a stray continuation byte
        {"\xe2\x82", R"("\u00e2\u0082")", false},                      // cut short at the end
        {"\xe2\x82x\xe2", R"("\u00e2\u0082x\u00e2")", false},          // ... and before a character
        {"\xc0\xaf\xc1\xbf", R"("\u00c0\u00af\u00c1\u00bf")", false},  // overlong
        {"\xe0\x80\xaf\xf0\x8f\xbf\xbf", R"("\u00e0\u0080\u00af\u00f0\u008f\u00bf\u00bf")", false},
        {"\xed\xa0\x80", R"("\u00ed\u00a0\u0080")", false},            // a surrogate
        {"\xf4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")", false},  // above U+10FFFF
        {"a\xf5\xffz\xc3\xa9", "\"a\\u00f5\\u00ffz\xc3\xa9\"", false},
    };
    for (const Case &c : cases) {
        bool was_utf8 = false;
        EXPECT_EQ(written([&](ReportWriter &out) { was_utf8 = json::write_string(out, c.bytes); }),
                  c.json)
            << c.json;
        EXPECT_EQ(was_utf8, c.utf8) << c.json;
    }
}

TEST(JsonNumber, ShortestTextThatReadsBackAsTheSameNumber) {
    const auto text = [](auto value) {
        return written([value](ReportWriter &out) { json::write_number(out, value); });
    };
    EXPECT_EQ(text(0.1f), "0.1");
    EXPECT_EQ(text(61.0f), "61");
    EXPECT_EQ(text(0.1), "0.1");
    EXPECT_EQ(text(-0.0), "-0");
    EXPECT_EQ(text(1e300), "1e+300");
    EXPECT_EQ(text(3.4028235e38f), "3.4028235e+38");
    EXPECT_EQ(text(-INFINITY), "\"-inf\"");
    EXPECT_EQ(text(HUGE_VALF), "\"inf\"");
    EXPECT_EQ(text(std::nan("")), "\"nan\"");
    // Any bit pattern that is a number reads back as itself.
    std::mt19937_64 random(7);
    for (int k = 0; k < 20000; ++k) {
        const uint64_t bits = random();
        double d = 0;
        float f = 0;
        std::memcpy(&d, &bits, sizeof d);
        std::memcpy(&f, &bits, sizeof f);
        if (std::isfinite(d)) {
            EXPECT_EQ(std::strtod(text(d).c_str(), nullptr), d) << text(d);
        }
        if (std::isfinite(f)) {
            EXPECT_EQ(std::strtof(text(f).c_str(), nullptr), f) << text(f);
        }
    }
}

TEST(JsonTime, IsGmtimeWithMilliseconds) {
    std::mt19937_64 random(11);
    std::vector<int64_t> seconds = {0,         59,         86399,       68169600 /* 1972-02-29 */,
                                    951782400, 2147483647, 253402300799 /* 9999-12-31T23:59:59 */};
    for (int k = 0; k < 5000; ++k) seconds.push_back(static_cast<int64_t>(random() % 253402300800));
    for (const int64_t s : seconds) {
        const auto time = static_cast<std::time_t>(s);
        std::tm utc{};
        ASSERT_NE(gmtime_r(&time, &utc), nullptr);
        char expected[40];
        std::strftime(expected, sizeof expected, "\"%Y-%m-%dT%H:%M:%S.", &utc);
        const int32_t milliseconds = static_cast<int32_t>(s % 1000);
        const std::string ms = std::to_string(1000 + milliseconds).substr(1);
        EXPECT_EQ(written([&](ReportWriter &out) { json::write_utc_time(out, s, milliseconds); }),
                  expected + ms + "Z\"");
    }
}

}  // namespace
