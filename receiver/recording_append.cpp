// What --append reads of a file before it adds to it: whether the file is a
// recording, and the message that a write cut short left at its end.
#include "recording_append.h"

#include <unistd.h>

#include <string>
#include <string_view>

#include "script_reader.h"
#include "text_tokens.h"

namespace tavlo::receiver {

namespace {

constexpr std::string_view kMessageStart = "message ";
constexpr std::string_view kEscapesWhole = "escapes\n";  // with its line end

// Up to `count` bytes of the file at `at`; fewer at its end or after an error.
std::string bytes_at(int fd, off_t at, std::size_t count) {
    std::string bytes(count, '\0');
    const ssize_t got = pread(fd, bytes.data(), count, at);
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

}  // namespace

bool starts_like_a_script(int fd) {
    constexpr std::size_t kHead = 4096;
    const std::string head = bytes_at(fd, 0, kHead);
    const std::size_t line_end = head.find('\n');
    const std::string_view line = std::string_view(head).substr(0, line_end);
    const std::size_t first = line.find_first_not_of(script::kTokenBlanks);
    if (first == std::string_view::npos || line[first] == '#') return true;
    const std::string_view word =
        line.substr(first, line.find_first_of(script::kTokenBlanks, first) - first);
    if (word == script::kEscapesLine || word == "message") return true;
    // A recording cut short in its first line.
    const bool whole_file = line_end == std::string::npos && head.size() < kHead;
    return whole_file && word.size() == line.size() - first &&
           (starts_with(script::kEscapesLine, word) || starts_with("message", word));
}

std::optional<off_t> cut_write_start(int fd, off_t size) {
    if (size == 0 || bytes_at(fd, size - 1, 1) == "\n") return size;
    // The last line, cut short: the start of a message line or of the
    // escapes line, or a line of the message after its message line.
    off_t start = line_start_before(fd, size);
    if (start < 0) return std::nullopt;
    const std::string last = bytes_at(fd, start, kMessageStart.size());
    if (last.empty()) return std::nullopt;
    if (starts_with(kEscapesWhole, last)) return start;
    if (!starts_with(kMessageStart, last)) {
        start = message_line_before(fd, start);
        if (start < 0) return std::nullopt;
    }
    const auto escapes_size = static_cast<off_t>(kEscapesWhole.size());
    if (start >= escapes_size &&
        bytes_at(fd, start - escapes_size, kEscapesWhole.size()) == kEscapesWhole &&
        (start == escapes_size || bytes_at(fd, start - escapes_size - 1, 1) == "\n")) {
        return start - escapes_size;
    }
    return start;
}

}  // namespace tavlo::receiver
