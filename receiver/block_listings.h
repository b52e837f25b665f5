// Listings of the error entries of a failed start-up or exit.
#pragma once

#include <cstdio>

#include "tavlo.h"

namespace tavlo::receiver {

// A call failed when the first error code of its block is above 0.
inline bool failed(const StatusBlock &block) {
    return block.error[0] > 0;
}

// "\nTAVLO INIT ERROR.\n" and the numbered entries of `block`.
void print_init_error_listing(std::FILE *stream, const StatusBlock &block);

// "\nTAVLO EXIT ERROR" and the unnumbered entries of `block`.
void print_exit_error_listing(std::FILE *stream, const StatusBlock &block);

}  // namespace tavlo::receiver
