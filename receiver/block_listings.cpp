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

void print_init_error_listing(const StatusBlock &block) {
    std::printf("\nTAVLO INIT ERROR.\n");
    std::printf("Error codes\n");
    std::printf("-----------\n");
    for_each_entry(block, [](int i, long facility, long error) {
        std::printf("%d) facility=%ld  Error=%ld\n", i, facility, error);
    });
}

void print_exit_error_listing(const StatusBlock &block) {
    std::printf("\nTAVLO EXIT ERROR");
    std::printf("\nError codes");
    std::printf("\n-----------\n");
    for_each_entry(block, [](int, long facility, long error) {
        std::printf("\nfacility=%ld  Error=%ld", facility, error);
    });
}

}  // namespace tavlo::receiver
