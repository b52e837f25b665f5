// The tag value report against printf: a wide table of values, statuses,
// names and times through print_tag_values, and through snprintf with the
// formats that define the report's lines, compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "console_capture.h"
#include "status_lines.h"
#include "tavlo_testsupport.h"

namespace {

using tavlo::testing::capture_stdout;
using tavlo::testing::kStatusLines;

__attribute__((format(printf, 1, 2))) std::string printf_text(const char *format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    std::string text(static_cast<std::size_t>(std::vsnprintf(nullptr, 0, format, args)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    va_end(args);
    text.pop_back();
    return text;
}

template <typename T>
std::vector<unsigned char> bytes_of(const T &value) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(&value);
    return {bytes, bytes + sizeof value};
}

template <typename To, typename From>
To bits_as(From bits) {
    To value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// The asctime text of the record's local time; empty for no valid time.
std::string local_text(const TimeRecord &time) {
    if (time.milliseconds < 0 || time.milliseconds > 999 || time.seconds < 0) return "";
    const std::time_t seconds = time.seconds;
    std::tm local{};
    char text[26];
    return asctime_r(localtime_r(&seconds, &local), text);
}

// Records around 1970, the DST changes of 2021 in Europe and the US, and
// 2038; valid and invalid milliseconds, negative seconds.
std::vector<TimeRecord> time_table() {
    std::vector<TimeRecord> times;
    for (int32_t seconds :
         {0, 1, 3599, 86399, 951782400, 1616893199, 1616893200, 1635641999, 1635645600, 1615705199,
          1636264800, 2147483646, 2147483647, -1, std::numeric_limits<int32_t>::min()}) {
        for (int32_t milliseconds : {0, 999, 1000, -1}) times.push_back({milliseconds, seconds});
    }
    return times;
}

// One tag of the table: its descriptor, value bytes and printf's value lines.
struct Tag {
    TypeDescriptor descriptor;
    std::vector<unsigned char> value;
    std::string value_lines;
};

void add_reals(std::vector<Tag> &tags, std::mt19937_64 &random) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    std::vector<float> reals = {0.0f,     -0.0f,   1.5f,     0.0078125f,   -0.0234375f,   1e-7f,
                                5e-7f,    FLT_MIN, -FLT_MIN, FLT_TRUE_MIN, -FLT_TRUE_MIN, FLT_MAX,
                                -FLT_MAX, kInf,    -kInf,    kNan,         -kNan};
    for (int i = 0; i < 400; ++i) reals.push_back(bits_as<float>(static_cast<uint32_t>(random())));
    for (float real : reals) {
        tags.push_back({{1, 1, 4, 1}, bytes_of(real), printf_text("\nValue= %f", double{real})});
    }
}

void add_doubles(std::vector<Tag> &tags, std::mt19937_64 &random) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> doubles = {0.0,       -0.0,         2.5,           0.0000005,
                                   0.0000015, 0.0078125,    1e15 + 0.3,    9007199254740993.0,
                                   DBL_MIN,   DBL_TRUE_MIN, -DBL_TRUE_MIN, DBL_MAX,
                                   -DBL_MAX,  kInf,         -kInf,         kNan,
                                   -kNan};
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    for (int i = 0; i < 400; ++i) {
        doubles.push_back(bits_as<double>(random()));
        doubles.push_back(mantissa(random) * std::pow(10.0, i % 24 - 10));
    }
    for (double value : doubles) {
        tags.push_back({{5, 5, 8, 1}, bytes_of(value), printf_text("\nValue= %f", value)});
    }
}

void add_integers(std::vector<Tag> &tags, std::mt19937_64 &random) {
    std::vector<int32_t> numbers = {
        std::numeric_limits<int32_t>::min(), -32769, -32768, -1, 0, 1, 32767, 32768,
        std::numeric_limits<int32_t>::max()};
    for (int i = 0; i < 100; ++i) numbers.push_back(static_cast<int32_t>(random()));
    for (int32_t number : numbers) {
        const auto short_value = static_cast<int16_t>(number);
        tags.push_back(
            {{2, 2, 2, 1}, bytes_of(short_value), printf_text("\nValue= %d", short_value)});
        tags.push_back({{4, 4, 4, 1}, bytes_of(number), printf_text("\nValue= %ld", long{number})});
    }
}

// Each size from -1 to 20 and two past the report's buffer, with texts
// shorter than, as long as and longer than the size, and some bytes that
// are not ASCII.
void add_ascii(std::vector<Tag> &tags) {
    std::vector<int32_t> sizes = {-1, 20000, 70000};
    for (int32_t size = 0; size <= 20; ++size) sizes.push_back(size);
    for (int32_t size : sizes) {
        const auto field = static_cast<std::size_t>(std::max(size, 0));
        for (std::size_t length : {std::size_t{0}, field / 2, field, field + 3}) {
            std::string text;
            for (std::size_t i = 0; i < length; ++i) text += "ABC\xE9xyz 0"[i % 9];
            text.resize(field, '\0');
            const std::string lines =
                size >= 1 ? printf_text("\nValue= %-*.*s", size, size, text.data()) : "\nValue= ";
            tags.push_back({{3, 3, size, 1}, {text.begin(), text.end()}, lines});
        }
    }
}

void add_times_and_structures(std::vector<Tag> &tags) {
    for (const TimeRecord &time : time_table()) {
        const std::string local = local_text(time);
        tags.push_back({{6, 6, 8, 1},
                        bytes_of(time),
                        printf_text("\nTime Value: Milliseconds= %d  Seconds= %d",
                                    time.milliseconds, time.seconds) +
                            (local.empty() ? "" : printf_text("\n%s", local.c_str()))});
    }
    for (int32_t size : {0, 1, 33}) {
        tags.push_back({{7, 7, size, 1},
                        std::vector<unsigned char>(static_cast<std::size_t>(size), 0x5A),
                        "\nStructures are currently not supported"});
    }
}

std::string status_lines(const TagStatus &status) {
    const auto *known =
        std::find_if(std::begin(kStatusLines), std::end(kStatusLines),
                     [&](const auto &entry) { return entry.code == status.status; });
    return (known != std::end(kStatusLines) ? std::string(known->line)
                                            : printf_text("\nUnknown status (%d)", status.status)) +
           printf_text("\nFacility=%d\nDriver Status=%d", status.facility, status.driver_status);
}

// A message of every tag of the table, and what printf makes of it.
struct Message {
    std::string names;
    std::vector<TypeDescriptor> descriptors;
    std::vector<unsigned char> values;
    std::vector<TagStatus> statuses;
    std::vector<TimeRecord> timestamps;
    std::string printf_report;

    explicit Message(const std::vector<Tag> &tags) {
        static const char *const kTypes[] = {"REAL",   "SHORT", "ASCII",    "LONG",
                                             "DOUBLE", "TIME",  "STRUCTURE"};
        static const char *const kDeviceTypes[] = {"REAL",
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
                                                   "DESCRIPTION"};
        const std::vector<TimeRecord> times = time_table();
        const auto count = static_cast<int32_t>(tags.size());
        descriptors.push_back({7, 0, count, 1});
        for (int32_t k = 0; k < count; ++k) {
            const Tag &tag = tags[static_cast<std::size_t>(k)];
            // Compact entries: names of 1 to 40 characters, the longest without a NUL.
            std::string name =
                "T" + std::to_string(k) + std::string(static_cast<std::size_t>(k % 41), ' ');
            name.resize(std::min<std::size_t>(name.size(), 40));
            names += name + std::string(40 - name.size(), '\0');
            TypeDescriptor descriptor = tag.descriptor;
            descriptor.device_data_type = static_cast<int16_t>(k % 17);
            descriptors.push_back(descriptor);
            values.insert(values.end(), tag.value.begin(), tag.value.end());
            const int32_t code = k % 90 - 80;
            statuses.push_back({k % 91 == 0   ? std::numeric_limits<int32_t>::min() + k
                                : k % 89 == 0 ? -32768
                                              : code,
                                k % 7 == 0 ? -k : k, std::numeric_limits<int32_t>::max() - k});
            timestamps.push_back(times[static_cast<std::size_t>(k) % times.size()]);
            const std::string local = local_text(timestamps.back());
            printf_report += printf_text("\nTagname [%d]: %.*s", k + 1,
                                         static_cast<int>(name.size()), name.c_str()) +
                             printf_text("\nType: %s", kTypes[descriptor.data_type - 1]) +
                             (k % 17 >= 1 && k % 17 <= 15
                                  ? printf_text("  Device Data Type: %s", kDeviceTypes[k % 17 - 1])
                                  : "  UNKNOWN DEVICE DATA TYPE") +
                             tag.value_lines +
                             (local.empty() ? "\nInvalid timestamp"
                                            : printf_text("\nTimestamp: %s", local.c_str())) +
                             status_lines(statuses.back()) + "\n";
        }
    }
};

// Where the printed text first differs from printf's, with some of both.
std::string first_difference(const std::string &printed, const std::string &expected) {
    const auto at = static_cast<std::size_t>(
        std::mismatch(printed.begin(), printed.end(), expected.begin(), expected.end()).first -
        printed.begin());
    const std::size_t from = at < 80 ? 0 : at - 80;
    return "first difference at byte " + std::to_string(at) +
           "\nprinted: " + printed.substr(from, 160) + "\nprintf:  " + expected.substr(from, 160);
}

TEST(ReportDifferential, EveryValueStatusNameAndTimePrintsAsPrintfMakesIt) {
    // UTC, then zones with DST (by rule: no zone files needed).
    for (const char *zone : {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0"}) {
        setenv("TZ", zone, 1);
        tzset();
        std::mt19937_64 random(20240611);
        std::vector<Tag> tags;
        add_reals(tags, random);
        add_doubles(tags, random);
        add_integers(tags, random);
        add_ascii(tags);
        add_times_and_structures(tags);
        const Message message(tags);
        tag_name_stride = 40;
        const std::string printed = capture_stdout([&] {
            print_tag_values(message.names.data(), message.descriptors.data(),
                             message.values.data(), message.statuses.data(),
                             message.timestamps.data(), static_cast<int32_t>(tags.size()));
        });
        EXPECT_TRUE(printed == message.printf_report)
            << zone << ": " << first_difference(printed, message.printf_report);
    }
    setenv("TZ", "UTC0", 1);
    tzset();
}

}  // namespace
