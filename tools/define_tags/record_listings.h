// Listings of the records that the tag definition dialogues filled.
#pragma once

#include <cstdint>
#include <vector>

#include "tavlo.h"

namespace tavlo::define_tags {

// The records define_tags fills, every one of them given, zeroed at first.
struct TagRecords {
    explicit TagRecords(int32_t count);
    std::vector<char> names;
    std::vector<TypeDescriptor> descriptors;
    std::vector<unsigned char> values;
    std::vector<OutputType> output_types;
    std::vector<Deadband> deadbands;
};

// The records define_historical_tags fills, zeroed at first.
struct HistoricalRecords {
    explicit HistoricalRecords(int32_t count);
    std::vector<char> names;
    std::vector<TypeDescriptor> descriptors;
    std::vector<int32_t> value_counts;
    std::vector<TimeRecord> start_times;
    std::vector<TimeRecord> end_times;
};

// The tag value report of the records, every status GOOD, then each tag's
// output type and deadband.
void print_tag_records(const TagRecords &records, int32_t count);

// Each tag's name, types, size, number of values, start and end, the times
// also as local time.
void print_historical_records(const HistoricalRecords &records, int32_t count);

}  // namespace tavlo::define_tags
