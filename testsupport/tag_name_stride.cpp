// The process-wide width of one entry of the current tag-name array, and
// the width of the entries of a read's tag-name array.
#include <cstring>

#include "record_sizes.h"
#include "tavlo_testsupport.h"

extern "C" {
int32_t tag_name_stride = 0;
}

extern "C" int32_t name_stride_of_read(const char *names) {
    // A first name of at most this many characters marks the compact layout.
    constexpr std::size_t kLongestCompactName = 40;
    const bool compact =
        names == nullptr || strnlen(names, kLongestCompactName + 1) <= kLongestCompactName;
    return compact ? tavlo::records::kCompactNameStride : tavlo::records::kFullNameStride;
}
