// The data-type and device-data-type menus of the tag definition dialogues.
#pragma once

#include <cstdint>

#include "tag_arrays.h"
#include "tavlo.h"

namespace tavlo::ts {

// Prints the data-type menu, its question reading "Please select <asked_as>
// for tag '<name>': ", until the answer is a choice from 1 to 6, then for an
// ASCII tag asks its size until it is from 1 to 1200. Writes the data type,
// the size and an element count of 1 into `entry`. False, with `entry`
// untouched, when input ends first.
bool ask_data_type(const char *asked_as, const char *name, TypeDescriptor &entry);

// Prints the device-data-type menu until the answer is a choice from 0 to
// 14 (an empty line is 0: the tag's data type) and writes the device data
// type into `entry`, whose data type ask_data_type has set. False, with `entry` untouched, when
// input ends first.
bool ask_device_data_type(const char *name, TypeDescriptor &entry);

}  // namespace tavlo::ts
