// The file of a tag-list load: asked for at the console, opened for
// reading, read line by line, closed when it goes.
#pragma once

#include <cstdio>
#include <memory>

#include "tavlo.h"

namespace tavlo::ts {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using TagListFile = std::unique_ptr<std::FILE, FileCloser>;

// Prints "\n\nPlease enter filename: ", reads the name (at most 255
// characters) and opens the file in text mode. When it cannot be opened, or
// is a folder, prints the message, records TAVLO_LOAD_OPEN_FAILED and
// returns null.
TagListFile open_tag_list_file(StatusBlock *block);

// Bytes of one read of a line: at most 255 characters, its newline
// included. The rest of a longer line is the next read.
constexpr int kTagLineSize = 256;
using TagLine = char[kTagLineSize];

// Reads the next line; false at the end of the file or on a read error.
inline bool read_tag_line(std::FILE *file, TagLine &line) {
    return std::fgets(line, kTagLineSize, file) != nullptr;
}

}  // namespace tavlo::ts
