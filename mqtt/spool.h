// The on-disk queue of MQTT messages not yet confirmed by the broker: a
// folder of segment files, each a run of records (topic and payload) that
// are only ever appended, and a file that says which is the first message
// still waiting. A message is in the segment's file (the kernel's, so a
// SIGKILL of the receiver loses nothing) before append() returns. It holds
// at most a given number of messages, and of bytes: the oldest go first,
// and are counted.
// Safe for the reading loop and the sending thread at once.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "queue_bound.h"

namespace tavlo::mqtt {

struct SpooledMessage {
    uint64_t index = 0;  // its number in the spool, from run to run
    std::string topic;
    std::string payload;
};

class Spool {
public:
    // Opens the folder (made with its parents where missing) and takes its
    // lock; reads what an earlier run left there. `bound` is the spool's
    // (spool_bound()). Null, with the reason in `problem`, when it cannot
    // (not writable, in use by another receiver).
    static std::unique_ptr<Spool> open(const std::string &folder, const QueueBound &bound,
                                       std::string &problem);
    ~Spool();
    Spool(const Spool &) = delete;
    Spool &operator=(const Spool &) = delete;

    // Adds a message after the others, then drops the oldest while the
    // spool is past its bound (a message alone past the bound in bytes
    // stays). False, with the reason in `problem`, when the write
    // failed.
    bool append(std::string_view topic, std::string_view payload, std::string &problem);

    // The next message to send, oldest first; false when every message
    // waiting has been handed out.
    bool next_to_send(SpooledMessage &message);

    // The broker has the message: its place is freed, and it is counted.
    void confirmed(uint64_t index);

    // The connection was lost: every message not confirmed goes again.
    void rewind();

    // Writes which message is the first still waiting, for the next run.
    // Cheap when nothing changed.
    void save_position();

    uint64_t waiting() const;          // kept, not confirmed
    uint64_t dropped() const;          // the oldest, taken out for room
    uint64_t confirmations() const;    // confirmed since the spool was opened
    uint64_t left_by_earlier() const;  // waiting when the spool was opened
    const std::string &folder() const { return folder_; }

private:
    struct Segment {
        uint64_t first = 0;  // the index of its first record
        uint64_t count = 0;
        uint64_t bytes = 0;
    };

    Spool(std::string folder, const QueueBound &bound, int lock_fd);
    std::string load();
    std::string segment_path(uint64_t first) const;
    std::string start_segment();
    bool past_bound() const;
    void drop_oldest();
    void pop_first();  // first_ is confirmed or dropped: the next is first
    void advance_first();
    bool release(uint64_t index);  // frees the place of a message waiting; false if free
    void remove_used_segments();
    bool read_at_cursor(SpooledMessage &message);
    const char *bytes_at(uint64_t offset, std::size_t size, uint64_t file_size);

    const std::string folder_;
    const QueueBound bound_;
    const int lock_fd_;
    mutable std::mutex mutex_;
    std::vector<Segment> segments_;  // oldest first; the last is written
    int write_fd_ = -1;
    uint64_t first_ = 0;                  // the oldest message kept
    uint64_t next_ = 0;                   // the index of the next message appended
    uint64_t send_ = 0;                   // the next message to hand out
    std::set<uint64_t> confirmed_ahead_;  // confirmed, after first_
    std::deque<uint32_t> sizes_;          // the record size of each index from first_ on
    uint64_t kept_bytes_ = 0;             // of the records neither confirmed nor dropped
    uint64_t dropped_ = 0;
    uint64_t confirmations_ = 0;
    uint64_t left_by_earlier_ = 0;
    uint64_t saved_first_ = UINT64_MAX;
    // Where the next record to hand out is read.
    int read_fd_ = -1;
    uint64_t read_segment_ = UINT64_MAX;  // its first index
    uint64_t read_index_ = 0;
    uint64_t read_offset_ = 0;
    std::string buffer_;  // bytes of the read segment from buffer_offset_
    uint64_t buffer_offset_ = 0;
};

}  // namespace tavlo::mqtt
