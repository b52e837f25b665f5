// Listings of the error entries of a failed start-up or exit.
#include "block_listings.h"

#include <cstdio>

namespace tavlo::receiver {

namespace {

// Entries in index order, at most ten, up to the first error of -1.
template <typename PrintEntry>
void for_each_entry(const StatusBlock &block, PrintEntry print_entry) {
    for (int i = 0; i < TAVLO_STATUS_ENTRIES && block.error[i] != -1; ++i) {
        print_entry(i, static_cast<long>(block.facility[i]), static_cast<long>(block.error[i]));
    }
}

}  // namespace

void print_init_error_listing(std::FILE *stream, const StatusBlock &block) {
    std::fprintf(stream, "\nTAVLO INIT ERROR.\n");
    std::fprintf(stream, "Error codes\n");
    std::fprintf(stream, "-----------\n");
    for_each_entry(block, [stream](int i, long facility, long error) {
        std::fprintf(stream, "%d) facility=%ld  Error=%ld\n", i, facility, error);
    });
}

void print_exit_error_listing(std::FILE *stream, const StatusBlock &block) {
    std::fprintf(stream, "\nTAVLO EXIT ERROR");
    std::fprintf(stream, "\nError codes");
    std::fprintf(stream, "\n-----------\n");
    for_each_entry(block, [stream](int, long facility, long error) {
        std::fprintf(stream, "\nfacility=%ld  Error=%ld", facility, error);
    });
}

}  // namespace tavlo::receiver
