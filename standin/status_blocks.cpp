// Filling StatusBlocks: success, or one error entry.
#include "status_blocks.h"

namespace tavlo::standin {

void clear_block(StatusBlock &block) {
    for (int i = 0; i < TAVLO_STATUS_ENTRIES; ++i) {
        block.facility[i] = 0;
        block.error[i] = -1;
    }
}

void fail_block(StatusBlock &block, int32_t facility, int32_t code) {
    clear_block(block);
    block.facility[0] = facility;
    block.error[0] = code;
}

}  // namespace tavlo::standin
