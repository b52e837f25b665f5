// The recording's writer: a thread of its own that writes the messages the
// receiver hands over, so that the receiver reads on while the file, the
// disk or the reader of a pipe takes its time.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "script_writer.h"
#include "write_all.h"

namespace tavlo::receiver {

// A message handed over is written at once when the thread waits for one;
// the messages that come while it writes go out together, a quarter of a
// millisecond after the write before at the latest, each time in one write
// of whole messages. The receiver waits only when the thread is far behind
// (the file takes less than the device sends).
class RecordingWriter {
public:
    // Asked before each wait for room in a pipe: none to wait as long as
    // it takes, or a time to give up at.
    using Deadline = std::function<posix::WriteDeadline()>;
    // Told, on the thread, why a write failed (an errno; ETIMEDOUT when
    // the deadline came first). Nothing is written after.
    using Failure = std::function<void(int error)>;

    // Writes to `fd`, which does not wait (O_NONBLOCK where that matters);
    // `first` goes out before the first message. Signals stay with the
    // threads that were there: the thread blocks them all.
    RecordingWriter(int fd, std::string first, Deadline deadline, Failure failure);
    ~RecordingWriter();
    RecordingWriter(const RecordingWriter &) = delete;
    RecordingWriter &operator=(const RecordingWriter &) = delete;

    // Copies the message for the thread. False once a write failed.
    bool hand_over(const script::ReadMessage &read);

    // Writes every message handed over and ends the thread. Returns 0, or
    // the error of the write that failed.
    int finish();

private:
    void run();
    // Whether the messages waiting make a write worth starting before their
    // gathering time is out; under the lock.
    bool enough_to_write() const;
    // Writes `text`; 0, or the error of the write that failed, with the
    // bytes written before it in `written`.
    int write_text(const script::TextBuffer &text, std::size_t &written);
    // After a write that failed: takes a regular file back to the end of its
    // last whole message, of those `ends` gives the ends of in the text whose
    // first `written` bytes were written. False where the file cannot be cut
    // (a pipe, a device): its reader sees the message cut short by its tags=
    // or its last line.
    bool keep_whole_messages(const std::vector<std::size_t> &ends, std::size_t written);

    const int fd_;
    std::string first_;
    const Deadline deadline_;
    const Failure failure_;

    std::mutex mutex_;
    std::condition_variable wake_;           // the thread: messages, or the finish
    std::condition_variable room_;           // the receiver: room for a message
    std::vector<script::ReadCopy> waiting_;  // handed over, not yet taken
    std::size_t waiting_bytes_ = 0;          // of the copies in waiting_
    bool idle_ = false;                      // the thread waits for a message
    bool finishing_ = false;
    int error_ = 0;
    std::thread thread_;
};

}  // namespace tavlo::receiver
