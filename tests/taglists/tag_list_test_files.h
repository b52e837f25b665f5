// Helpers of the tag-list tests: the files they write, and the records as
// the loaders leave them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "tavlo_testsupport.h"

inline bool operator==(const TypeDescriptor &a, const TypeDescriptor &b) {
    return a.data_type == b.data_type && a.device_data_type == b.device_data_type &&
           a.size == b.size && a.element_count == b.element_count;
}

inline void PrintTo(const TypeDescriptor &d, std::ostream *out) {
    *out << "{" << d.data_type << ", " << d.device_data_type << ", " << d.size << ", "
         << d.element_count << "}";
}

inline bool operator==(const Deadband &a, const Deadband &b) {
    return a.type == b.type && a.value == b.value;
}

inline void PrintTo(const Deadband &d, std::ostream *out) {
    *out << "{" << d.type << ", " << d.value << "}";
}

namespace tavlo::testing {

// What every load prints first.
inline const std::string kPrompt = "\n\nPlease enter filename: ";

// A temporary file with the given content; removed when it goes.
class TagListFile {
public:
    explicit TagListFile(const std::string &content);
    ~TagListFile();
    TagListFile(const TagListFile &) = delete;
    TagListFile &operator=(const TagListFile &) = delete;

    const std::string &path() const { return path_; }

    // What the user types at the loader's prompt.
    std::string answer() const { return path_ + "\n"; }

private:
    std::string path_;
};

// A block holding what no load leaves in one, so that clearing shows.
StatusBlock dirty_block();

// The ten facilities, then the ten error codes.
std::vector<int32_t> entries_of(const StatusBlock &block);

// The entries of a block cleared by the client library.
std::vector<int32_t> cleared_entries();

// The entries of a block holding the one error (10, code).
std::vector<int32_t> failed_entries(int32_t code);

// An entry of the compact layout: the name, blanks to 39 characters, NUL.
std::string compact_entry(const std::string &name);

// A 256-byte entry written over `fill`: the name, the fill, NUL in byte 255.
std::string full_entry(const std::string &name, char fill);

}  // namespace tavlo::testing
