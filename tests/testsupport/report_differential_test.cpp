// The tag value report against printf: a wide table of values, statuses,
// names and times through print_tag_values, and through snprintf with the
// formats that define the report's lines, compared byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <ctime>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "bytes.h"
#include "console_capture.h"
#include "scoped_environment.h"
#include "status_lines.h"
#include "tavlo_testsupport.h"

namespace {

using tavlo::testing::bytes_of;
using tavlo::testing::capture_stdout;
using tavlo::testing::kStatusLines;
constexpr int32_t kInt32Min = std::numeric_limits<int32_t>::min();

__attribute__((format(printf, 1, 2))) std::string printf_text(const char *format, ...) {
    va_list args, again;
    va_start(args, format);
    va_copy(again, args);
    std::string text(static_cast<std::size_t>(std::vsnprintf(nullptr, 0, format, args)) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    va_end(args);
    text.pop_back();
    return text;
}

// The asctime text of the record's local time; empty for no valid time.
std::string local_text(const TimeRecord &time) {
    if (time.milliseconds < 0 || time.milliseconds > 999 || time.seconds < 0) return "";
    const std::time_t seconds = time.seconds;
    std::tm local{};
    char text[26];
    return asctime_r(localtime_r(&seconds, &local), text);
}

// Around 1970, the DST changes of 2021 in Europe and the US, and 2038;
// valid and invalid milliseconds, negative seconds.
std::vector<TimeRecord> time_table() {
    std::vector<TimeRecord> times;
    for (int32_t seconds : {0, 1, 3599, 951782400, 1616893199, 1616893200, 1635641999, 1635645600,
                            1615705199, 1636264800, 2147483646, 2147483647, -1, kInt32Min}) {
        for (int32_t milliseconds : {0, 999, 1000, -1}) times.push_back({milliseconds, seconds});
    }
    return times;
}

// Zeros, ties at the sixth decimal, the limits, infinities and NaNs with
// both signs, then random bit patterns and random ordinary magnitudes.
template <typename T, typename Bits>
std::vector<T> floating_values(std::mt19937_64 &random) {
    using limits = std::numeric_limits<T>;
    const double named[] = {0.0,
                            1.5,
                            0.0078125,
                            0.0234375,
                            5e-7,
                            1.5e-6,
                            limits::min(),
                            limits::denorm_min(),
                            limits::max(),
                            limits::infinity(),
                            limits::quiet_NaN()};
    std::vector<T> values;
    for (double value : named) {
        values.push_back(static_cast<T>(value));
        values.push_back(-static_cast<T>(value));
    }
    std::uniform_real_distribution<T> mantissa(-1, 1);
    for (int i = 0; i < 400; ++i) {
        Bits bits = static_cast<Bits>(random());
        std::memcpy(&values.emplace_back(), &bits, sizeof bits);
        values.push_back(std::ldexp(mantissa(random), i % 80 - 40));
    }
    return values;
}

// One tag of the table: its descriptor, value bytes and printf's value lines.
struct Tag {
    TypeDescriptor descriptor;
    std::vector<unsigned char> value;
    std::string value_lines;
};

std::vector<Tag> value_table() {
    std::vector<Tag> tags;
    std::mt19937_64 random(20240611);
    for (float value : floating_values<float, uint32_t>(random)) {
        tags.push_back({{1, 1, 4, 1}, bytes_of(value), printf_text("\nValue= %f", double{value})});
    }
    for (double value : floating_values<double, uint64_t>(random)) {
        tags.push_back({{5, 5, 8, 1}, bytes_of(value), printf_text("\nValue= %f", value)});
    }
    std::vector<int32_t> numbers = {kInt32Min, -32769, -32768, -1, 0, 32767, 32768, ~kInt32Min};
    for (int i = 0; i < 100; ++i) numbers.push_back(static_cast<int32_t>(random()));
    for (int32_t number : numbers) {
        const auto value = static_cast<int16_t>(number);
        tags.push_back({{2, 2, 2, 1}, bytes_of(value), printf_text("\nValue= %d", value)});
        tags.push_back({{4, 4, 4, 1}, bytes_of(number), printf_text("\nValue= %ld", long{number})});
    }
    // Sizes -1 to 20 and two past the report's buffer; texts shorter than,
    // as long as and longer than the size, some bytes not ASCII.
    std::vector<int32_t> sizes = {-1, 20000, 70000};
    for (int32_t size = 0; size <= 20; ++size) sizes.push_back(size);
    for (int32_t size : sizes) {
        const auto field = static_cast<std::size_t>(std::max(size, 0));
        for (std::size_t length : {std::size_t{0}, field / 2, field, field + 3}) {
            std::string text;
            for (std::size_t i = 0; i < length; ++i) text += "ABC\xE9xyz 0"[i % 9];
            text.resize(field, '\0');
            tags.push_back(
                {{3, 3, size, 1},
                 {text.begin(), text.end()},
                 size < 1 ? "\nValue= " : printf_text("\nValue= %-*.*s", size, size, text.data())});
        }
    }
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
    return tags;
}

std::string status_lines(const TagStatus &status) {
    const auto *known =
        std::find_if(std::begin(kStatusLines), std::end(kStatusLines),
                     [&](const auto &entry) { return entry.code == status.status; });
    return (known != std::end(kStatusLines) ? std::string(known->line)
                                            : printf_text("\nUnknown status (%d)", status.status)) +
           printf_text("\nFacility=%d\nDriver Status=%d", status.facility, status.driver_status);
}

// The names of the data types 1 to 7, and of the same device data types.
const char *const kTypes[] = {"REAL", "SHORT", "ASCII", "LONG", "DOUBLE", "TIME", "STRUCTURE"};

// A message of every tag of the table in compact name entries (names of 2
// to 40 characters, the longest without a NUL), with device data types known
// and unknown and every status code, and what printf makes of it.
struct Message {
    std::string names;
    std::vector<TypeDescriptor> descriptors;
    std::vector<unsigned char> values;
    std::vector<TagStatus> statuses;
    std::vector<TimeRecord> timestamps;
    std::string printf_report;

    explicit Message(const std::vector<Tag> &tags) {
        const std::vector<TimeRecord> times = time_table();
        descriptors.push_back({7, 0, static_cast<int32_t>(tags.size()), 1});
        for (int32_t k = 0; k < static_cast<int32_t>(tags.size()); ++k) {
            const Tag &tag = tags[static_cast<std::size_t>(k)];
            std::string name = "T" + std::to_string(k) + std::string(40, ' ');
            name.resize(static_cast<std::size_t>(2 + k % 39));
            names += name + std::string(40 - name.size(), '\0');
            const int16_t device_type = k % 11 == 0 ? int16_t{16} : tag.descriptor.data_type;
            descriptors.push_back({tag.descriptor.data_type, device_type, tag.descriptor.size, 1});
            values.insert(values.end(), tag.value.begin(), tag.value.end());
            const int32_t code = k % 97 == 0 ? kInt32Min + k : k % 89 == 0 ? -32768 : k % 90 - 80;
            statuses.push_back({code, k % 7 == 0 ? -k : k, ~kInt32Min - k});
            timestamps.push_back(times[static_cast<std::size_t>(k) % times.size()]);
            const std::string local = local_text(timestamps.back());
            printf_report += printf_text("\nTagname [%d]: %.*s", k + 1,
                                         static_cast<int>(name.size()), name.c_str()) +
                             printf_text("\nType: %s", kTypes[tag.descriptor.data_type - 1]) +
                             (device_type == 16 ? "  UNKNOWN DEVICE DATA TYPE"
                                                : printf_text("  Device Data Type: %s",
                                                              kTypes[device_type - 1])) +
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
        const tavlo::testing::ScopedTimeZone time_zone(zone);
        const Message message(value_table());
        tag_name_stride = 40;
        const std::string printed = capture_stdout([&] {
            print_tag_values(message.names.data(), message.descriptors.data(),
                             message.values.data(), message.statuses.data(),
                             message.timestamps.data(),
                             static_cast<int32_t>(message.statuses.size()));
        });
        EXPECT_TRUE(printed == message.printf_report)
            << zone << ": " << first_difference(printed, message.printf_report);
    }
}

}  // namespace
