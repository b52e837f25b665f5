// The recording's writer: a thread of its own for the recording's writes.
#include "recording_writer.h"

#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <utility>

#include "name_tokens.h"

namespace tavlo::receiver {

namespace {

using Clock = std::chrono::steady_clock;

// Messages that come within this time of a write go out in the next. A
// quarter of a millisecond: the writes of longer gatherings come in bursts
// that hold up the receiver and the reader of its output more (paired runs
// at full speed lost 17-22% of the receiver's throughput to a recording
// with a millisecond, 9-13% with this).
constexpr auto kGather = std::chrono::microseconds(250);
// Handed over and not yet taken, beyond which the receiver waits: messages
// and their bytes; and the bytes that end the gathering early (as does
// half the most messages).
constexpr std::size_t kMostWaiting = 1024;
constexpr std::size_t kMostWaitingBytes = std::size_t{16} << 20;
constexpr std::size_t kEnoughToWrite = std::size_t{256} << 10;
// The room a batch and its text keep after a rare huge message.
constexpr std::size_t kKeptRoom = std::size_t{4} << 20;

}  // namespace

RecordingWriter::RecordingWriter(int fd, std::string first, Deadline deadline, Failure failure)
    : fd_(fd),
      first_(std::move(first)),
      deadline_(std::move(deadline)),
      failure_(std::move(failure)) {
    // The stop signals must reach the receiver's thread, whose waits they end.
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    thread_ = std::thread([this] { run(); });
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

RecordingWriter::~RecordingWriter() {
    finish();
}

bool RecordingWriter::hand_over(const script::ReadMessage &read) {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] {
        return error_ != 0 || waiting_.size() == 0 ||
               (waiting_.size() < kMostWaiting && waiting_.bytes() < kMostWaitingBytes);
    });
    if (error_ != 0) return false;
    waiting_.add(read);
    if (idle_ || enough_to_write()) wake_.notify_one();
    return true;
}

bool RecordingWriter::enough_to_write() const {
    return waiting_.bytes() >= kEnoughToWrite || waiting_.size() >= kMostWaiting / 2;
}

int RecordingWriter::finish() {
    if (thread_.joinable()) {
        {
            const std::lock_guard lock(mutex_);
            finishing_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    return error_;
}

void RecordingWriter::run() {
    script::MessageBatch taken;
    script::NameTokens names;
    script::TextBuffer text;
    std::vector<std::size_t> ends;  // of the messages in text
    text += first_;
    std::unique_lock lock(mutex_);
    for (;;) {
        idle_ = true;
        wake_.wait(lock, [this] { return waiting_.size() > 0 || finishing_; });
        idle_ = false;
        if (waiting_.size() == 0) return;
        const Clock::time_point started = Clock::now();
        std::swap(taken, waiting_);
        lock.unlock();
        room_.notify_one();
        ends.clear();
        for (std::size_t i = 0; i < taken.size(); ++i) {
            script::append_message(text, taken.read(i), names);
            ends.push_back(text.size());
        }
        taken.clear(kKeptRoom);
        std::size_t written = 0;
        const int error = posix::write_all(fd_, text.data(), text.size(), deadline_, written);
        text.clear();
        if (text.capacity() > kKeptRoom) text = script::TextBuffer();
        if (error != 0) {
            keep_whole_messages(ends, written);
            failure_(error);
        }
        lock.lock();
        if (error != 0) {
            error_ = error;
            room_.notify_all();
            return;
        }
        wake_.wait_until(lock, started + kGather,
                         [this] { return finishing_ || enough_to_write(); });
    }
}

bool RecordingWriter::keep_whole_messages(const std::vector<std::size_t> &ends,
                                          std::size_t written) {
    struct stat status {};
    if (written == 0) return true;
    if (fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) return false;
    const auto whole = std::upper_bound(ends.begin(), ends.end(), written);
    const std::size_t kept = whole == ends.begin() ? 0 : *(whole - 1);
    const off_t end = status.st_size - static_cast<off_t>(written - kept);
    return end >= 0 && ftruncate(fd_, end) == 0;
}

}  // namespace tavlo::receiver
