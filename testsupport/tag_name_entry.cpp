// The name question of the tag definition dialogues and the finishing of
// their tag-name arrays.
#include "tag_name_entry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "console_input.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

bool TagNameEntry::ask(int32_t slot) {
    std::printf("\nPlease enter tagname %d: ", slot + 1);
    read_line(name_, kFullNameEntry);
    if (console_input_ended()) return false;
    const std::size_t length = std::strlen(name_);
    longest_ = std::max(longest_, length);
    store_full_name(names_, slot, name_, length);
    compact_.store(slot, name_, length);
    return true;
}

void TagNameEntry::finish() {
    if (longest_ < static_cast<std::size_t>(kCompactNameEntry))
        compact_.rewrite(names_, compact_.count());
}

}  // namespace tavlo::ts
