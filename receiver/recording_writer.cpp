// The recording's writer: a thread of its own for the recording's writes.
#include "recording_writer.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

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
// The room the text keeps after a rare huge message.
constexpr std::size_t kKeptRoom = std::size_t{4} << 20;
// How often a wait for room in a pipe asks the deadline again.
constexpr std::chrono::milliseconds kPollSlice{100};

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
        return error_ != 0 || waiting_.empty() ||
               (waiting_.size() < kMostWaiting && waiting_bytes_ < kMostWaitingBytes);
    });
    if (error_ != 0) return false;
    waiting_bytes_ += waiting_.emplace_back(read).bytes();
    if (idle_ || enough_to_write()) wake_.notify_one();
    return true;
}

bool RecordingWriter::enough_to_write() const {
    return waiting_bytes_ >= kEnoughToWrite || waiting_.size() >= kMostWaiting / 2;
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
    std::vector<script::ReadCopy> taken;
    script::TextBuffer text;
    std::vector<std::size_t> ends;  // of the messages in text
    text += first_;
    std::unique_lock lock(mutex_);
    for (;;) {
        idle_ = true;
        wake_.wait(lock, [this] { return !waiting_.empty() || finishing_; });
        idle_ = false;
        if (waiting_.empty()) return;
        const Clock::time_point started = Clock::now();
        std::swap(taken, waiting_);
        waiting_bytes_ = 0;
        lock.unlock();
        room_.notify_one();
        ends.clear();
        for (const script::ReadCopy &copy : taken) {
            script::append_message(text, copy.read());
            ends.push_back(text.size());
        }
        taken.clear();
        std::size_t written = 0;
        const int error = write_text(text, written);
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

int RecordingWriter::write_text(const script::TextBuffer &text, std::size_t &written) {
    const char *data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, left);
        if (n > 0) {
            data += n;
            left -= static_cast<std::size_t>(n);
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n == 0) return EIO;  // a write of nothing would repeat for ever
        if (errno == EINTR) continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK) return errno;
        // A pipe whose reader takes nothing now: wait for room, and ask the
        // deadline again after every slice of the wait.
        const posix::WriteDeadline deadline = deadline_();
        std::chrono::milliseconds wait = kPollSlice;
        if (deadline) {
            const auto until =
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
            if (until.count() <= 0) return ETIMEDOUT;
            wait = std::min(wait, until);
        }
        pollfd entry{fd_, POLLOUT, 0};
        if (poll(&entry, 1, static_cast<int>(wait.count())) < 0 && errno != EINTR) return errno;
    }
    return 0;
}

}  // namespace tavlo::receiver
