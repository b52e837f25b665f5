// Listings of the records that the tag definition dialogues filled.
#include "record_listings.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "tavlo_testsupport.h"

namespace tavlo::define_tags {

namespace {

constexpr std::size_t kNameEntry = 256;
constexpr std::size_t kLargestValue = 1200;
constexpr TagStatus kGood{-1, 0, 0};

std::size_t count_of(int32_t count) {
    return static_cast<std::size_t>(count);
}

void print_heading() {
    std::printf("\n\nThe tags as defined (tag_name_stride %d):", tag_name_stride);
}

const char *type_name(int32_t code) {
    const char *name = short_type_name(code);
    return name != nullptr ? name : "?     ";
}

void print_time(const char *label, const TimeRecord &time) {
    const std::time_t seconds = time.seconds;
    std::tm local{};
    char text[64] = "no local time";
    if (localtime_r(&seconds, &local) != nullptr) {
        // %e, which the Windows C runtime lacks: the day with a blank for
        // its leading zero.
        std::strftime(text, sizeof text, "%a %b %d %H:%M:%S %Y", &local);
        if (text[8] == '0') text[8] = ' ';
    }
    std::printf("\n%s %d seconds, %s", label, time.seconds, text);
}

// The name arrays are never empty, so that even for 0 tags the dialogue is
// given an array and sets tag_name_stride as it does for any list.
std::size_t name_bytes(int32_t count) {
    return std::max<std::size_t>(count_of(count), 1) * kNameEntry;
}

}  // namespace

TagRecords::TagRecords(int32_t count)
    : names(name_bytes(count)),
      descriptors(count_of(count) + 1),
      values(count_of(count) * kLargestValue),
      output_types(count_of(count)),
      deadbands(count_of(count)) {}

HistoricalRecords::HistoricalRecords(int32_t count)
    : names(name_bytes(count)),
      descriptors(count_of(count) + 1),
      value_counts(count_of(count)),
      start_times(count_of(count)),
      end_times(count_of(count)) {}

void print_tag_records(const TagRecords &records, int32_t count) {
    print_heading();
    const std::vector<TagStatus> statuses(count_of(count), kGood);
    print_tag_values(records.names.data(), records.descriptors.data(), records.values.data(),
                     statuses.data(), nullptr, count);
    for (std::size_t k = 0; k < count_of(count); ++k) {
        std::printf("\nTag %zu: output type %d, deadband type %d, deadband value %f", k + 1,
                    records.output_types[k], records.deadbands[k].type,
                    static_cast<double>(records.deadbands[k].value));
    }
}

void print_historical_records(const HistoricalRecords &records, int32_t count) {
    print_heading();
    const std::size_t stride = static_cast<std::size_t>(tag_name_stride);
    for (std::size_t k = 0; k < count_of(count); ++k) {
        const char *name = records.names.data() + k * stride;
        const TypeDescriptor &descriptor = records.descriptors[k + 1];
        std::printf("\nTag %zu: %.*s", k + 1, static_cast<int>(strnlen(name, stride)), name);
        std::printf("\nData type %d (%s)  Device data type %d (%s)  Size %d", descriptor.data_type,
                    type_name(descriptor.data_type), descriptor.device_data_type,
                    type_name(descriptor.device_data_type), descriptor.size);
        std::printf("\nNumber of values: %d", records.value_counts[k]);
        print_time("Start:", records.start_times[k]);
        print_time("End:  ", records.end_times[k]);
    }
}

}  // namespace tavlo::define_tags
