// The tag-list loaders, after the file is open: load_tag_list and
// load_tag_list_file (four line formats into the caller's arrays) and
// load_historical_tag_list and load_historical_tag_list_file (the tags of a
// historical read), with the error that ends a load and the file it reads.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tag_arrays.h"
#include "tavlo.h"
#include "tavlo_testsupport.h"

// The error that ends a tag-list load: recorded in the caller's block with
// the line it was found on, its message printed for a console load.
namespace tavlo::ts {

class LoadErrors {
public:
    // Errors go into `block`; their messages are printed on standard output
    // when `print_messages` holds, else nowhere.
    LoadErrors(StatusBlock *block, bool print_messages)
        : block_(block), print_messages_(print_messages) {}

    // The line of the file being handled, counted from 1; 0 outside lines.
    void set_line(int32_t line) { line_ = line; }

    // Prints `message` as it stands (none for a null one) and records
    // (TAVLO_LOAD_FACILITY, code).
    void fail(int32_t code, const char *message = nullptr);

    // Prints "<what> for tag '<name>'" and records the code.
    void fail_for_tag(int32_t code, const char *what, const char *name);

    // "\nError in data type for tag '<name>'" and TAVLO_LOAD_BAD_TYPE.
    void fail_data_type(const char *name);

    // "\nError opening tag list file '<file name>'" and
    // TAVLO_LOAD_OPEN_FAILED.
    void fail_opening(const char *file_name);

    // "\nError: Too many tags" and TAVLO_LOAD_TOO_MANY_TAGS: the file ended
    // before the caller's count of lines.
    void fail_too_many_tags();

    bool failed() const { return failed_; }

    // The line on which the error was found; 0 without an error or for an
    // error that belongs to no line.
    int32_t error_line() const { return error_line_; }

private:
    StatusBlock *block_;
    bool print_messages_;
    bool failed_ = false;
    int32_t line_ = 0;
    int32_t error_line_ = 0;
};

// The names a tag-list load stores: into the caller's 256-byte entries and
// into the working copy in the compact layout.

class LoadedNames {
public:
    LoadedNames(char *names, CompactNames &working_copy)
        : names_(names), working_copy_(working_copy) {}

    // Stores the name into slot `slot` of both and notes its length.
    void store(int32_t slot, const char *name, int32_t length) {
        const auto characters = static_cast<std::size_t>(length);
        longest_ = std::max(longest_, length);
        store_full_name(names_, slot, name, characters);
        working_copy_.store(slot, name, characters);
    }

    // Rewrites the first `entries` entries of the caller's array in the
    // compact layout, and sets tag_name_stride to 40, when no name stored
    // was 40 characters or longer; otherwise leaves both as they are.
    void rewrite_if_short(int32_t entries) const {
        if (longest_ < kCompactNameEntry) working_copy_.rewrite(names_, entries);
    }

private:
    char *names_;
    CompactNames &working_copy_;
    int32_t longest_ = 0;
};

// The file of a tag-list load: named by the caller or asked for at the
// console, opened for reading, read line by line, closed when it goes.

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

// The frame of a tag-list load that both loaders share, called from the
// console or with a path: the count, the working name copy, the caller's
// block, the file and the line of the error.

// Checks the count, obtains the working name copy of `count` entries,
// clears the caller's block, opens the file (at `path`, or asked for at the
// console) and runs read_file(file, working_copy, errors), which returns
// the number of slots it filled; returns that number, 0 when the file was
// not read. A negative count or a working copy that cannot be allocated is
// recorded before anything is asked. The file is closed and the working
// copy freed on every way out. `error_line`, when given, receives the line
// of the error (0 for none).
template <typename ReadFile>
int32_t run_tag_list_load(LoadCall call, const char *path, int32_t count, StatusBlock *block,
                          int32_t *error_line, ReadFile read_file) {
    LoadErrors errors(block, call == LoadCall::kConsole);
    int32_t filled = 0;
    if (count < 0) {
        TAVLO_CLIENT_INITBLK(block);
        errors.fail(TAVLO_LOAD_NEGATIVE_COUNT);
    } else {
        CompactNames working_copy(count);
        TAVLO_CLIENT_INITBLK(block);
        if (!working_copy.ok()) {
            errors.fail(TAVLO_LOAD_NO_MEMORY);
        } else {
            const TagListFile file = call == LoadCall::kConsole ? open_asked_tag_list_file(errors)
                                                                : open_tag_list_file(path, errors);
            if (file) filled = read_file(file.get(), working_copy, errors);
        }
    }
    if (error_line != nullptr) *error_line = errors.error_line();
    return filled;
}

// The four line formats of a tag-list file: names only, types, values and
// deadbands.

// The outputs that a caller passes to a tag-list load; all but `names` may
// be null.
struct TagListOutputs {
    char *names;
    TypeDescriptor *descriptors;
    void *values;
    OutputType *output_types;
    Deadband *deadbands;
};

enum class LineFormat { kNamesOnly, kTypes, kValues, kDeadbands };

// The format that the outputs select: no descriptors, names only; then
// deadbands before output types before types.
LineFormat line_format(const TagListOutputs &outputs);

// Handles the lines of one load in the format of its outputs. Values are
// appended one after another from the front of the value buffer.
class TagListLines {
public:
    TagListLines(const TagListOutputs &outputs, LoadedNames &names, LoadErrors &errors);

    // Handles the line of slot `slot`: stores its tag, or skips it leaving
    // the slot as it was, and returns true; or fails with the line's error
    // and returns false, storing nothing of the line.
    bool handle(int32_t slot, const char *line);

private:
    bool names_only_line(int32_t slot, const char *line);
    bool types_line(int32_t slot, const char *line);
    bool values_line(int32_t slot, const char *line);
    bool deadbands_line(int32_t slot, const char *line);

    TagListOutputs outputs_;
    LineFormat format_;
    LoadedNames &names_;
    unsigned char *value_cursor_;
    LoadErrors &errors_;
};

// load_tag_list and load_tag_list_file, after the file is open: read its
// lines into the outputs.

// Reads at most `count` lines of the open file, one slot each, and sets the
// descriptors' header entry: size `count` for a console load, the number of
// slots filled for a path load. The first line in error ends the load with
// the names left in the 256-byte layout. Otherwise, when all names are
// short, the names are rewritten in the compact layout: all `count` entries
// for a console load, which then records TAVLO_LOAD_TOO_MANY_TAGS when the
// file ended early; the entries filled for a path load. Returns the number
// of slots filled. `working_copy` holds `count` compact entries.
int32_t read_tag_list(std::FILE *file, LoadCall call, const TagListOutputs &outputs, int32_t count,
                      CompactNames &working_copy, LoadErrors &errors);

// load_historical_tag_list and load_historical_tag_list_file, after the
// file is open: read its lines.

// Reads at most `count` lines of the open file, "name value-count data-type
// [ascii-size]" each, and sets the descriptors' header entry: size `count`
// for a console load, the number of slots filled for a path load. A console
// load whose file ends early records TAVLO_LOAD_TOO_MANY_TAGS. Only a load
// without error rewrites the names in the compact layout, when they are all
// short: the entries filled. Returns the number of slots filled.
// `working_copy` holds `count` compact entries.
int32_t read_historical_tag_list(std::FILE *file, LoadCall call, char *names,
                                 TypeDescriptor *descriptors, int32_t *value_counts, int32_t count,
                                 CompactNames &working_copy, LoadErrors &errors);

}  // namespace tavlo::ts
