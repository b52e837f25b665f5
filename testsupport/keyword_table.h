// Tables of the keywords of tag-list files, and the lookup in them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tavlo::ts {

struct Keyword {
    const char *text;
    int32_t code;
};

// The code of the first keyword of the table that is the whole token
// (case-sensitive), or -1; -1 for a null token too.
template <std::size_t N>
int32_t lookup_keyword(const Keyword (&table)[N], const char *token) {
    if (token == nullptr) return -1;
    for (const Keyword &keyword : table) {
        if (std::strcmp(token, keyword.text) == 0) return keyword.code;
    }
    return -1;
}

}  // namespace tavlo::ts
