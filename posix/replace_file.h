// A file rewritten whole: a reader sees the old text or the new one, never
// a part of either.
#pragma once

#include <string>
#include <string_view>

namespace tavlo::posix {

// Writes `text` to PATH.tmp, flushes it to the disk and renames it over
// `path` (on Windows too, where a rename over a file needs its own call).
// Returns 0, or the errno of the step that failed, after which PATH.tmp is
// gone and `path` is as it was.
int replace_file(const std::string &path, std::string_view text);

}  // namespace tavlo::posix
