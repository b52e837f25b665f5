// The output-type and deadband-type keywords of tag-list files.
#pragma once

#include <cstdint>

namespace tavlo::ts {

// GOOD 0, NAN 1, NONE 2, SUSPECT 3; -1 for any other token.
int32_t output_type_from_keyword(const char *token);

// ABS 1, REL 2; -1 for any other token.
int32_t deadband_type_from_keyword(const char *token);

}  // namespace tavlo::ts
