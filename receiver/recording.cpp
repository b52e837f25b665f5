// The receiver's recording: every message a read returns, in the
// simulator's script format, handed to the recording's writer thread when
// it arrives, and written by that thread.
#include "recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "files.h"
#include "options.h"
#include "receiver.h"
#include "recording_append.h"
#include "report_output.h"
#include "script_writer.h"
#include "thread_signals.h"
#include "unique_fd.h"
#include "write_all.h"

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

// The recording's writer: a thread of its own that writes the messages the
// receiver hands over, so that the receiver reads on while the file, the
// disk or the reader of a pipe takes its time. A message handed over is
// written at once when the thread waits for one; the messages that come
// while it writes go out together, a quarter of a millisecond after the
// write before at the latest, each time in one write of whole messages.
// The receiver waits only when the thread is far behind (the file takes
// less than the device sends).
class RecordingWriter {
public:
    // Asked before each write and each wait for room in a pipe: none to
    // wait as long as it takes, or a time to give up at (posix::write_all).
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

    // Copies the message, got at `received` (milliseconds since 1970), for
    // the thread. False once a write failed.
    bool hand_over(const records::MessageView &read, int64_t received);

    // Writes every message handed over and ends the thread. Returns 0, or
    // the error of the write that failed.
    int finish();

private:
    void run();
    // Whether the messages waiting make a write worth starting before their
    // gathering time is out; under the lock.
    bool enough_to_write() const;
    // After a write that failed: cuts a regular file back to the end of the
    // last message that went out whole, `ends` being the end of each message
    // in the text of which the first `written` bytes went out. False where
    // the file cannot be cut (a pipe, a device): its reader sees the message
    // cut short by its tags= or its last line.
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

RecordingWriter::RecordingWriter(int fd, std::string first, Deadline deadline, Failure failure)
    : fd_(fd),
      first_(std::move(first)),
      deadline_(std::move(deadline)),
      failure_(std::move(failure)) {
    // The stop signals must reach the receiver's thread, whose waits they end.
    const posix::SignalsBlocked blocked;
    thread_ = std::thread([this] { run(); });
}

RecordingWriter::~RecordingWriter() {
    finish();
}

bool RecordingWriter::hand_over(const records::MessageView &read, int64_t received) {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] {
        return error_ != 0 || waiting_.empty() ||
               (waiting_.size() < kMostWaiting && waiting_bytes_ < kMostWaitingBytes);
    });
    if (error_ != 0) return false;
    waiting_bytes_ += waiting_.emplace_back(read, received).bytes();
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
            script::append_message(text, copy.view(), copy.received());
            ends.push_back(text.size());
        }
        taken.clear();
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

struct Recording {
    int fd = -1;
    std::string path;
    script::TextBuffer first;  // what goes before the first message
    std::unique_ptr<RecordingWriter> writer;
    bool failed = false;
    posix::WriteDeadline grace_end;  // the writer thread's alone
};

Recording g_recording;

void say(const char *what, const char *reason) {
    std::fprintf(stderr, "%s: %s %s: %s\n", kProgramName, what, g_recording.path.c_str(), reason);
}

// On the writer thread: its write failed.
void say_write_failed(int error) {
    say("cannot write the recording", error == ETIMEDOUT
                                          ? "its reader took nothing for a second after the stop"
                                          : posix::error_text(error).c_str());
}

// Readies a regular file of `size` bytes that --append adds to: refuses a
// file that is not a recording, and takes off the message that a write cut
// short left at its end (`size` is then the size left); else ends its last
// line. False after one line on standard error.
bool prepare_append(off_t &size) {
    const posix::UniqueFd file(
        open(g_recording.path.c_str(), O_RDONLY | posix::kOpenCloseOnExec | posix::kOpenBinary));
    if (!file) {
        say("cannot record to", std::strerror(errno));
        return false;
    }
    if (!is_recording(file.get())) {
        say("cannot record to", "it is not a recording");
        return false;
    }
    const std::optional<off_t> start = cut_write_start(file.get(), size);
    if (!start) {
        g_recording.first += '\n';
    } else if (*start < size) {
        if (ftruncate(g_recording.fd, *start) != 0) {
            say("cannot record to", std::strerror(errno));
            return false;
        }
        std::fprintf(stderr,
                     "%s: the recording %s ended in a cut message; removed its %lld bytes\n",
                     kProgramName, g_recording.path.c_str(), static_cast<long long>(size - *start));
        size = *start;
    }
    return true;
}

int64_t milliseconds_of(std::chrono::system_clock::time_point time) {
    return std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

}  // namespace

bool open_recording(const char *path, RecordMode mode) {
    g_recording.path = path;
    struct stat status {};
    const bool exists = stat(path, &status) == 0;
    if (exists && S_ISREG(status.st_mode) && mode == RecordMode::kNew) {
        say("cannot record to", "the file exists (--append adds to it, --force replaces it)");
        return false;
    }
    // Without a wait for a reader of a pipe: the stop handlers are not there
    // yet to end it. The writer thread's writes wait in poll(), which it
    // ends to see a stop.
    int flags =
        O_WRONLY | O_CREAT | posix::kOpenCloseOnExec | posix::kOpenNoWait | posix::kOpenBinary;
    if (mode == RecordMode::kAppend) flags |= O_APPEND;
    if (mode == RecordMode::kReplace) flags |= O_TRUNC;
    if (!exists && mode == RecordMode::kNew) flags |= O_EXCL;
    posix::UniqueFd file(open(path, flags, 0666));
    if (!file || fstat(file.get(), &status) != 0) {
        say("cannot record to",
            errno == ENXIO ? "no program reads the pipe" : std::strerror(errno));
        return false;
    }
    g_recording.fd = file.get();
    // The first lines go out with the first message: those of a recording,
    // or after the messages of the file added to, the escapes line again.
    g_recording.first.clear();
    off_t size = S_ISREG(status.st_mode) ? status.st_size : 0;
    if (mode == RecordMode::kAppend && size > 0 && !prepare_append(size)) {
        g_recording.fd = -1;
        return false;
    }
    const bool adds = mode == RecordMode::kAppend && size > 0;
    g_recording.fd = file.release();
    if (adds) {
        script::append_escapes_line(g_recording.first);
    } else {
        script::append_recording_start(g_recording.first);
    }
    g_recording.writer = std::make_unique<RecordingWriter>(
        g_recording.fd, std::string(g_recording.first.view()),
        [] { return write_deadline(g_recording.grace_end); }, say_write_failed);
    return true;
}

bool record_message(const ReceivedMessage &message) {
    if (g_recording.fd < 0 || g_recording.failed) return !g_recording.failed;
    if (g_recording.writer->hand_over(message.view, milliseconds_of(message.received))) {
        return true;
    }
    g_recording.failed = true;
    return false;
}

int close_recording(int status) {
    if (g_recording.fd < 0) return status;
    if (g_recording.writer->finish() != 0) g_recording.failed = true;
    g_recording.writer.reset();
    if (close(g_recording.fd) != 0 && !g_recording.failed) {
        say("cannot write the recording", std::strerror(errno));
        g_recording.failed = true;
    }
    g_recording.fd = -1;
    return g_recording.failed ? kExitRecordingFailed : status;
}

}  // namespace tavlo::receiver
