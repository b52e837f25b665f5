// The frame of the two tag definition dialogues: the working name copy, the
// descriptor header, the tags one after another, and the early stops.
#pragma once

#include <cstdint>

#include "tag_name_entry.h"
#include "tag_type_menus.h"
#include "tavlo.h"

namespace tavlo::ts {

// "\nInput ended during tag <tag> of <count>: the tag definition stops here."
void report_input_ended(int32_t tag, int32_t count);

// "\nNo memory for a working copy of <count> tag names: no tag is defined."
void report_no_name_memory(int32_t count);

// Holds one dialogue of `count` tags. A NULL `names` or a negative count
// asks nothing and touches nothing; so does a dialogue without its working
// name copy, after reporting so. Otherwise it writes the descriptor header
// when `descriptors` is given, calls define_tag(name_entry, slot) for each
// tag until one returns false (input ended: reported, no further tag asked)
// and finishes the names.
template <typename DefineTag>
void hold_tag_dialogue(char *names, TypeDescriptor *descriptors, int32_t count,
                       DefineTag define_tag) {
    if (names == nullptr || count < 0) return;
    TagNameEntry name_entry(names, count);
    if (!name_entry.ok()) {
        report_no_name_memory(count);
        return;
    }
    if (descriptors != nullptr) descriptors[0] = descriptor_header(count);
    for (int32_t slot = 0; slot < count; ++slot) {
        if (!define_tag(name_entry, slot)) {
            report_input_ended(slot + 1, count);
            break;
        }
    }
    name_entry.finish();
}

}  // namespace tavlo::ts
