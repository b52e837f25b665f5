// A read's message kept after the read: every byte the script writer reads
// of it, copied, so that it can be written later, by another thread, once
// the library has reused its arrays.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "script_writer.h"

namespace tavlo::script {

class ReadCopy {
public:
    // Copies what append_message() reads of `read`: the device, each name
    // entry by the read's stride, the descriptors, the value bytes they
    // size, the statuses and the timestamps of its count of tags. A null
    // array stays null, a null device is an empty one. Keeps the room of the copy before.
    void assign(const ReadMessage &read);

    // The copy as a read; valid while the copy stays as it is.
    ReadMessage read() const;

    // The bytes of its arrays.
    std::size_t bytes() const;

    // Gives back the room of arrays larger than `keep` bytes, which a rare
    // huge message left.
    void trim(std::size_t keep);

private:
    ReadMessage read_;  // the numbers; the arrays are the copies below
    std::string device_;
    std::vector<char> names_;
    std::vector<TypeDescriptor> descriptors_;
    std::vector<unsigned char> values_;
    std::vector<TagStatus> statuses_;
    std::vector<TimeRecord> timestamps_;
};

}  // namespace tavlo::script
