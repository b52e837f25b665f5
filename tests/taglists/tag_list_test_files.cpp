// Helpers of the tag-list tests: the status blocks as the loaders leave them.
#include "tag_list_test_files.h"

namespace tavlo::testing {

StatusBlock dirty_block() {
    StatusBlock block;
    for (int i = 0; i < TAVLO_STATUS_ENTRIES; ++i) {
        block.facility[i] = 77;
        block.error[i] = 5;
    }
    return block;
}

StatusBlock cleared_block() {
    StatusBlock block;
    for (int i = 0; i < TAVLO_STATUS_ENTRIES; ++i) {
        block.facility[i] = 0;
        block.error[i] = -1;
    }
    return block;
}

StatusBlock failed_block(int32_t code) {
    StatusBlock block = cleared_block();
    block.facility[0] = 10;
    block.error[0] = code;
    return block;
}

}  // namespace tavlo::testing
