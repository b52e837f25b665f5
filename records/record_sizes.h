// The sizes of the client library's records that several parts share: the
// name fields, the two tag-name layouts and the largest ASCII value.
#pragma once

#include <cstdint>

namespace tavlo::records {

// A device name or an application id: at most 31 characters and a NUL.
constexpr int32_t kNameField = 32;

// One entry of a tag-name array in the compact layout: a name of at most 39
// characters, blank-padded, with NUL as the 40th byte.
constexpr int32_t kCompactNameStride = 40;

// One entry of a tag-name array in the full layout: a name of at most 255
// characters from the entry's first byte, NUL in its byte 255.
constexpr int32_t kFullNameStride = 256;

// The largest ASCII size the tag definition dialogues accept, and so the
// most bytes one value takes in a packed buffer that they fill.
constexpr int32_t kLargestAsciiSize = 1200;

}  // namespace tavlo::records
