// The number of tags to define, asked at the console.
#pragma once

#include <cstdint>
#include <optional>

namespace tavlo::define_tags {

constexpr int32_t kMostTags = 100;

// Asks until the answer is a whole number from 0 to kMostTags; nothing when
// input ends first.
std::optional<int32_t> ask_tag_count();

}  // namespace tavlo::define_tags
