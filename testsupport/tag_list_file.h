// The file of a tag-list load: named by the caller or asked for at the
// console, opened for reading, read line by line, closed when it goes.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>

#include "load_errors.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

// The two ways to call a loader. A console load asks for the file name,
// prints each error's message and wants `count` lines, fewer being
// TAVLO_LOAD_TOO_MANY_TAGS. A path load prints nothing, takes up to `count`
// lines and fails when the file cannot be read.
enum class LoadCall { kConsole, kPath };

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using TagListFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file at `path` in text mode. When it cannot be opened (a null
// path included) or is a folder, fails with TAVLO_LOAD_OPEN_FAILED and
// returns null.
TagListFile open_tag_list_file(const char *path, LoadErrors &errors);

// Prints "\n\nPlease enter filename: ", reads the name (at most 255
// characters) and opens the file as open_tag_list_file does.
TagListFile open_asked_tag_list_file(LoadErrors &errors);

// Bytes of one read of a line: at most 255 characters, its newline
// included. The rest of a longer line is the next read.
constexpr int kTagLineSize = 256;
using TagLine = char[kTagLineSize];

// Reads a file one tag line at a time and counts its lines as an editor
// does: the rest of a line longer than one read is on the same line.
class TagLineReader {
public:
    explicit TagLineReader(std::FILE *file) : file_(file) {}

    // Reads the next line; false at the end of the file or on a read error.
    bool next(TagLine &line) {
        if (std::fgets(line, kTagLineSize, file_) == nullptr) return false;
        if (line_ended_) ++line_number_;
        line_ended_ = std::strchr(line, '\n') != nullptr;
        return true;
    }

    // The line of the file that the latest read came from, from 1.
    int32_t line_number() const { return line_number_; }

private:
    std::FILE *file_;
    bool line_ended_ = true;
    int32_t line_number_ = 0;
};

// Reads lines into slots 0 onward, at most `room`, handing each to
// handle(slot, line) with the errors set to its line; a false from handle
// (after its error) ends the reading. A read error ends it as the end of
// the file does, and fails a path load with TAVLO_LOAD_OPEN_FAILED on no
// line. Returns the number of slots that lines filled: every line read, or
// the lines before the one in error.
template <typename HandleLine>
int32_t read_tag_lines(std::FILE *file, LoadCall call, int32_t room, LoadErrors &errors,
                       HandleLine handle) {
    TagLineReader reader(file);
    TagLine line;
    int32_t slot = 0;
    for (; slot < room && reader.next(line); ++slot) {
        errors.set_line(reader.line_number());
        if (!handle(slot, line)) return slot;
    }
    errors.set_line(0);
    if (call == LoadCall::kPath && std::ferror(file)) errors.fail(TAVLO_LOAD_OPEN_FAILED);
    return slot;
}

}  // namespace tavlo::ts
