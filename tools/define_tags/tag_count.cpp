// The number of tags to define, asked at the console.
#include "tag_count.h"

#include <cstdio>
#include <cstdlib>

#include "tavlo_testsupport.h"

namespace tavlo::define_tags {

namespace {

// The whole line as a number from 0 to kMostTags (blanks around it allowed).
std::optional<int32_t> count_of(const char *line) {
    char *end = nullptr;
    const long value = std::strtol(line, &end, 10);
    if (end == line) return std::nullopt;
    while (*end == ' ' || *end == '\t') ++end;
    if (*end != '\0' || value < 0 || value > kMostTags) return std::nullopt;
    return static_cast<int32_t>(value);
}

}  // namespace

std::optional<int32_t> ask_tag_count() {
    for (;;) {
        char line[256];
        std::printf("\nNumber of tags to define (0 to %d): ", kMostTags);
        read_line(line, sizeof line);
        if (const std::optional<int32_t> count = count_of(line)) return count;
        // read_line reads the end of input, and a read error, as an empty
        // line: stop at either.
        if (std::feof(stdin) || std::ferror(stdin)) return std::nullopt;
    }
}

}  // namespace tavlo::define_tags
