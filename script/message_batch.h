// Messages kept after their reads, one after another in one buffer: every
// byte the script writer reads of each, so that another thread can write
// them later, once the library has reused its arrays. Filled message by
// message, read back, emptied and filled again without giving back its room.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "script_writer.h"
#include "text_buffer.h"

namespace tavlo::script {

class MessageBatch {
public:
    // Copies what append_message() reads of `read`: the device, each name
    // entry by the read's stride, the descriptors, the value bytes they
    // size, the statuses and the timestamps of its count of tags. A null
    // array stays null, a null device is an empty one.
    void add(const ReadMessage &read);

    std::size_t size() const { return held_.size(); }
    // The bytes of the copies.
    std::size_t bytes() const { return bytes_.size(); }

    // Message `i` as a read; valid until the batch is added to or cleared.
    ReadMessage read(std::size_t i) const;

    // Empties the batch; gives back room above `keep` bytes, which a rare
    // huge message left.
    void clear(std::size_t keep);

private:
    // A message's numbers, and where its arrays start in bytes_.
    struct Held {
        ReadMessage numbers;
        std::size_t device, names, descriptors, values, statuses, timestamps;
    };

    // The names of the messages of a list, copied once a batch.
    struct Names {
        int32_t list_id;
        std::size_t size;
        std::size_t offset;
    };

    // Copies `size` bytes to the end of bytes_ at an offset that suits any
    // record; returns the offset, or kNone for a null array.
    std::size_t append(const void *from, std::size_t size);
    // The offset of `size` bytes of names of list `list_id`: those of an
    // earlier message of the list in the batch when they are the same.
    std::size_t append_names(const char *names, std::size_t size, int32_t list_id);

    std::vector<Held> held_;
    std::vector<Names> names_;
    TextBuffer bytes_;
};

}  // namespace tavlo::script
