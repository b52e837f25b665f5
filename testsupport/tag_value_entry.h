// The value question of the tag definition dialogue.
#pragma once

#include "tavlo.h"

namespace tavlo::ts {

// Asks for a value of the entry's data type (one of the data-type menu's)
// and writes its `size` bytes at `position`, packed as the value buffer
// holds it. An empty answer is 0; ASCII text is cut to the size and
// zero-filled. False, writing nothing, when input ended.
bool ask_value(const TypeDescriptor &entry, const char *name, unsigned char *position);

}  // namespace tavlo::ts
