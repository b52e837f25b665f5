// Shell patterns of names ("*", "?", "[a-z]", "[!x]", "[[:digit:]]" and
// "\" before a character taken as it is): fnmatch() on POSIX, a matcher of
// the same rules on Windows, which has none.
#pragma once

namespace tavlo::posix {

// Whether all of `name` matches `pattern`, as fnmatch(pattern, name, 0) == 0
// says: "/" and a leading "." are characters like any other.
bool matches_pattern(const char *pattern, const char *name);

}  // namespace tavlo::posix
