// The early stops of the two tag definition dialogues.
#include "tag_dialogue.h"

#include <cstdio>

namespace tavlo::ts {

void report_input_ended(int32_t tag, int32_t count) {
    std::printf("\nInput ended during tag %d of %d: the tag definition stops here.", tag, count);
}

void report_no_name_memory(int32_t count) {
    std::printf("\nNo memory for a working copy of %d tag names: no tag is defined.", count);
}

}  // namespace tavlo::ts
