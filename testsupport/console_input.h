// Whether the console's standard input has run out.
#pragma once

namespace tavlo::ts {

// True when the latest read_line found the end of standard input before any
// character: there was no line at all, not even an empty one. A last line
// without its line feed is still a line. Every reader built on read_line
// sets it, so a dialogue asks it right after a read.
bool console_input_ended();

}  // namespace tavlo::ts
