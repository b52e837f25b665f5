// What --append reads of a file before it adds to it: whether the file is a
// recording, and the message that a write cut short left at its end.
#include "recording_append.h"

#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "files.h"
#include "script_reader.h"
#include "script_text.h"

namespace tavlo::receiver {

namespace {

constexpr std::string_view kMessageStart = "message ";

// Up to `count` bytes of the file at `at`; fewer at its end or after an error.
std::string bytes_at(int fd, off_t at, std::size_t count) {
    std::string bytes(count, '\0');
    const ssize_t got = posix::read_at(fd, bytes.data(), count, at);
    bytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return bytes;
}

constexpr off_t kBlock = 64 * 1024;

// The start of the line that holds the byte before `end`: just after the
// last line end before it, or 0. -1 after a read error.
off_t line_start_before(int fd, off_t end) {
    while (end > 0) {
        const off_t from = end > kBlock ? end - kBlock : 0;
        const std::string block = bytes_at(fd, from, static_cast<std::size_t>(end - from));
        if (block.size() != static_cast<std::size_t>(end - from)) return -1;
        const std::size_t line_end = block.rfind('\n');
        if (line_end != std::string::npos) return from + static_cast<off_t>(line_end) + 1;
        end = from;
    }
    return 0;
}

// The start of the last line before `end` that begins with a whole
// "message ", read back block by block, each byte once; -1 when there is
// none or after a read error.
off_t message_line_before(int fd, off_t end) {
    std::string after;  // the first bytes of the block read before, for a word across blocks
    while (end > 0) {
        const off_t from = end > kBlock ? end - kBlock : 0;
        std::string text = bytes_at(fd, from, static_cast<std::size_t>(end - from));
        if (text.size() != static_cast<std::size_t>(end - from)) return -1;
        text += after;
        const std::size_t found = text.rfind("\nmessage ");
        if (found != std::string::npos) return from + static_cast<off_t>(found) + 1;
        if (from == 0 && text.compare(0, kMessageStart.size(), kMessageStart) == 0) return 0;
        after = text.substr(0, kMessageStart.size());
        end = from;
    }
    return -1;
}

bool starts_with(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// Whether `line`, with its line end, ends just before `at`: a whole line.
bool line_before(int fd, off_t at, std::string_view line) {
    const auto size = static_cast<off_t>(line.size()) + 1;
    return at >= size && bytes_at(fd, at - size, line.size() + 1) == std::string(line) + "\n" &&
           (at == size || bytes_at(fd, at - size - 1, 1) == "\n");
}

// Where the write that holds the escapes line at `at` begins: at the file's
// start when the line that marks a recording comes before it, else there.
off_t escapes_write_start(int fd, off_t at) {
    const auto marked = static_cast<off_t>(sizeof script::kRecordingLine);  // with its line end
    return at == marked && line_before(fd, at, script::kRecordingLine) ? 0 : at;
}

// Where the write that holds the message line at `start` begins: at the
// first lines before it (escapes_write_start()) when they are there.
off_t write_start(int fd, off_t start) {
    if (!line_before(fd, start, script::kEscapesLine)) return start;
    return escapes_write_start(fd, start - static_cast<off_t>(sizeof script::kEscapesLine));
}

}  // namespace

bool is_recording(int fd) {
    constexpr std::size_t kHead = 64;
    const std::string head = bytes_at(fd, 0, kHead);
    const std::size_t line_end = head.find('\n');
    const std::string_view line = std::string_view(head).substr(0, line_end);
    if (line == script::kRecordingLine || line == script::kEscapesLine) return true;
    // A recording cut short in its first line.
    return line_end == std::string::npos && head.size() < kHead &&
           (starts_with(script::kRecordingLine, line) || starts_with(script::kEscapesLine, line));
}

// Whether the last message of the recording that `fd` reads, whose message
// line starts at `start`, was cut short after the end of one of its lines.
bool cut_after_a_line_end(int fd, off_t start) {
    if (lseek(fd, start, SEEK_SET) != start) return false;
    script::ScriptReader reader = script::ScriptReader::recording_from(fd);
    script::ScriptMessage message;
    script::ScriptError error;
    while (reader.next(message, error) == script::ScriptReader::Status::kMessage) {
    }
    return error.cut_short;
}

std::optional<off_t> cut_write_start(int fd, off_t size) {
    if (size == 0) return size;
    if (bytes_at(fd, size - 1, 1) == "\n") {
        const off_t start = message_line_before(fd, size);
        if (start < 0 || !cut_after_a_line_end(fd, start)) return size;
        return write_start(fd, start);
    }
    // The last line, cut short: the start of a recording's first lines or
    // of a message line, or a line of the message after its message line.
    off_t start = line_start_before(fd, size);
    if (start < 0) return std::nullopt;
    const std::string last =
        bytes_at(fd, start, static_cast<std::size_t>(std::min<off_t>(size - start, 64)));
    if (last.empty()) return std::nullopt;
    if (start == 0 && starts_with(script::kRecordingLine, last)) return 0;
    if (starts_with(script::kEscapesLine, last)) return escapes_write_start(fd, start);
    if (!starts_with(last, kMessageStart) && !starts_with(kMessageStart, last)) {
        start = message_line_before(fd, start);
        if (start < 0) return std::nullopt;
    }
    return write_start(fd, start);
}

}  // namespace tavlo::receiver
