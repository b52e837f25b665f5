// The receiver's recording: every message a read returns, in the
// simulator's script format, handed to the recording's writer thread when
// it arrives.
#include "recording.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "options.h"
#include "receiver.h"
#include "recording_append.h"
#include "recording_writer.h"
#include "report_output.h"
#include "script_writer.h"
#include "unique_fd.h"

namespace tavlo::receiver {

namespace {

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
    char buffer[256];
    say("cannot write the recording", error == ETIMEDOUT
                                          ? "its reader took nothing for a second after the stop"
                                          : strerror_r(error, buffer, sizeof buffer));
}

// Readies a regular file of `size` bytes that --append adds to: refuses a
// file that is not a recording, and takes off the message that a write cut
// short left at its end (`size` is then the size left); else ends its last
// line. False after one line on standard error.
bool prepare_append(off_t &size) {
    const posix::UniqueFd file(open(g_recording.path.c_str(), O_RDONLY | O_CLOEXEC));
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
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK;
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
    const ReadSlots &slots = message.slots;
    script::ReadMessage read;
    read.kind = slots.kind;
    read.device = slots.device;
    read.unit = slots.unit;
    read.list_id = slots.list_id;
    read.sequence = slots.sequence;
    read.count = slots.count;
    read.names = slots.names;
    read.name_stride = message.name_stride;
    read.descriptors = slots.descriptors;
    read.values = static_cast<const unsigned char *>(slots.values);
    read.statuses = slots.statuses;
    read.timestamps = slots.timestamps;
    read.received = milliseconds_of(message.received);
    if (g_recording.writer->hand_over(read)) return true;
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
