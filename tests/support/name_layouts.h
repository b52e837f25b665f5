// Tag-name arrays as the client library lays them out: 256-byte entries, or
// the compact 40-byte entries when every name is shorter than 40 characters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tavlo::testing {

// An entry of the compact layout: the name cut to 39 characters and
// blank-padded to them, then a NUL.
std::string compact_entry(const std::string &name);

// A 256-byte entry: the name cut to 255 characters, `fill` up to them, a NUL.
std::string full_entry(const std::string &name, char fill);

// A whole array of `count` 256-byte entries in the compact layout: the
// given 40-byte entries, then blanks.
std::string compact_names(const std::vector<std::string> &entries, std::size_t count);

// The same with the compact entry of each name.
std::string compact_layout(const std::vector<std::string> &names, std::size_t count);

}  // namespace tavlo::testing
