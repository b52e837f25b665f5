// Comparison and printing of the client library's records for assertions.
#include "client_records.h"

#include <algorithm>

bool operator==(const TypeDescriptor &a, const TypeDescriptor &b) {
    return a.data_type == b.data_type && a.device_data_type == b.device_data_type &&
           a.size == b.size && a.element_count == b.element_count;
}

bool operator==(const Deadband &a, const Deadband &b) {
    return a.type == b.type && a.value == b.value;
}

bool operator==(const TimeRecord &a, const TimeRecord &b) {
    return a.milliseconds == b.milliseconds && a.seconds == b.seconds;
}

bool operator==(const TagStatus &a, const TagStatus &b) {
    return a.status == b.status && a.facility == b.facility && a.driver_status == b.driver_status;
}

bool operator==(const StatusBlock &a, const StatusBlock &b) {
    return std::equal(a.facility, a.facility + TAVLO_STATUS_ENTRIES, b.facility) &&
           std::equal(a.error, a.error + TAVLO_STATUS_ENTRIES, b.error);
}

// The records as the tests write them, in braces; the status block with
// its two arrays named.
void PrintTo(const TypeDescriptor &d, std::ostream *out) {
    *out << '{' << d.data_type << ", " << d.device_data_type << ", " << d.size << ", "
         << d.element_count << '}';
}

void PrintTo(const Deadband &d, std::ostream *out) {
    *out << '{' << d.type << ", " << d.value << '}';
}

void PrintTo(const TimeRecord &t, std::ostream *out) {
    *out << '{' << t.milliseconds << ", " << t.seconds << '}';
}

void PrintTo(const TagStatus &s, std::ostream *out) {
    *out << '{' << s.status << ", " << s.facility << ", " << s.driver_status << '}';
}

namespace {
void print_entries(const int32_t *entries, std::ostream *out) {
    *out << '{';
    for (int k = 0; k < TAVLO_STATUS_ENTRIES; ++k) *out << (k == 0 ? "" : ", ") << entries[k];
    *out << '}';
}
}  // namespace

void PrintTo(const StatusBlock &b, std::ostream *out) {
    *out << "{facility ";
    print_entries(b.facility, out);
    *out << ", error ";
    print_entries(b.error, out);
    *out << '}';
}
