// Expected records and bytes for the tag definition tests, and a time zone
// a test sets for itself.
#pragma once

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <ostream>
#include <string>
#include <vector>

#include "tavlo.h"

// Comparison and printing of the records, for the test assertions.
inline bool operator==(const TypeDescriptor &a, const TypeDescriptor &b) {
    return a.data_type == b.data_type && a.device_data_type == b.device_data_type &&
           a.size == b.size && a.element_count == b.element_count;
}
inline void PrintTo(const TypeDescriptor &d, std::ostream *out) {
    *out << '{' << d.data_type << ", " << d.device_data_type << ", " << d.size << ", "
         << d.element_count << '}';
}
inline bool operator==(const Deadband &a, const Deadband &b) {
    return a.type == b.type && a.value == b.value;
}
inline void PrintTo(const Deadband &d, std::ostream *out) {
    *out << '{' << d.type << ", " << d.value << '}';
}
inline bool operator==(const TimeRecord &a, const TimeRecord &b) {
    return a.milliseconds == b.milliseconds && a.seconds == b.seconds;
}
inline void PrintTo(const TimeRecord &t, std::ostream *out) {
    *out << '{' << t.milliseconds << ", " << t.seconds << '}';
}

namespace tavlo::testing {

using Bytes = std::vector<unsigned char>;

template <typename T>
void append(Bytes &bytes, const T &value) {
    const auto *first = reinterpret_cast<const unsigned char *>(&value);
    bytes.insert(bytes.end(), first, first + sizeof value);
}

template <typename T>
Bytes bytes_of(const T &value) {
    Bytes bytes;
    append(bytes, value);
    return bytes;
}

// The bytes of `first`, then those of `second`.
inline Bytes operator+(Bytes first, const Bytes &second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The compact 40-byte layout of `names` in an array of `entries` 256-byte
// entries: each name blank-padded to 39 characters and a NUL, then blanks.
inline std::string compact_layout(const std::vector<std::string> &names, std::size_t entries) {
    std::string array(entries * 256, ' ');
    for (std::size_t k = 0; k < names.size(); ++k) array[k * 40 + 39] = '\0';
    for (std::size_t k = 0; k < names.size(); ++k) array.replace(k * 40, names[k].size(), names[k]);
    return array;
}

// Sets TZ (and tzset) for the life of the object, then puts back the zone
// that was set before.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char *zone) {
        if (const char *before = std::getenv("TZ")) {
            before_ = before;
            had_zone_ = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (had_zone_) {
            setenv("TZ", before_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    std::string before_;
    bool had_zone_ = false;
};

}  // namespace tavlo::testing
