// The output-type and deadband menus of the tag definition dialogue.
#pragma once

#include "tavlo.h"

namespace tavlo::ts {

// Prints the output-type menu until the answer is a choice from 1 to 4 and
// stores the choice minus 1. False, storing nothing, when input ended.
bool ask_output_type(const char *name, OutputType &output_type);

// Prints the deadband-type menu until the answer is 1 (absolute) or 2
// (relative), asks for the deadband's value (an empty line is 0.0) and
// stores both. False, storing nothing, when input ended.
bool ask_deadband(const char *name, Deadband &deadband);

}  // namespace tavlo::ts
