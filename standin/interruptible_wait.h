// Waits that a signal cuts short.
#pragma once

#include <cstdint>

namespace tavlo::standin {

// Milliseconds on a monotonic clock.
int64_t monotonic_ms();

// Sleeps `ms` milliseconds. Returns false when a signal handler ran before
// the time was up (the caller then gives up waiting).
bool sleep_ms(int64_t ms);

}  // namespace tavlo::standin
