// Recording the error that ends a tag-list load, and the messages both
// loaders share.
#include "load_errors.h"

#include <cstdio>

#include "tavlo_testsupport.h"

namespace tavlo::ts {

void record_load_error(StatusBlock *block, int32_t code) {
    TAVLO_CLIENT_LDBLK(TAVLO_LOAD_FACILITY, code, block);
}

void fail_data_type(const char *name, StatusBlock *block) {
    std::printf("\nError in data type for tag '%s'", name);
    record_load_error(block, TAVLO_LOAD_BAD_TYPE);
}

void fail_too_many_tags(StatusBlock *block) {
    std::fputs("\nError: Too many tags", stdout);
    record_load_error(block, TAVLO_LOAD_TOO_MANY_TAGS);
}

}  // namespace tavlo::ts
