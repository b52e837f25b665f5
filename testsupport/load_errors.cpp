// The error that ends a tag-list load: recorded in the caller's block with
// the line it was found on, its message printed for a console load; and the
// words of each code.
#include "load_errors.h"

#include <cstdio>

#include "tavlo_testsupport.h"

namespace tavlo::ts {

void LoadErrors::fail(int32_t code, const char *message) {
    if (print_messages_ && message != nullptr) std::fputs(message, stdout);
    TAVLO_CLIENT_LDBLK(TAVLO_LOAD_FACILITY, code, block_);
    failed_ = true;
    error_line_ = line_;
}

void LoadErrors::fail_for_tag(int32_t code, const char *what, const char *name) {
    if (print_messages_) std::printf("%s for tag '%s'", what, name);
    fail(code);
}

void LoadErrors::fail_data_type(const char *name) {
    fail_for_tag(TAVLO_LOAD_BAD_TYPE, "\nError in data type", name);
}

void LoadErrors::fail_opening(const char *file_name) {
    if (print_messages_) std::printf("\nError opening tag list file '%s'", file_name);
    fail(TAVLO_LOAD_OPEN_FAILED);
}

void LoadErrors::fail_too_many_tags() {
    fail(TAVLO_LOAD_TOO_MANY_TAGS, "\nError: Too many tags");
}

}  // namespace tavlo::ts

extern "C" const char *tag_list_error_text(int32_t code) {
    switch (code) {
        case TAVLO_LOAD_OPEN_FAILED: return "the file cannot be opened or read";
        case TAVLO_LOAD_BAD_DEADBAND_TYPE: return "the deadband type is neither ABS nor REL";
        case TAVLO_LOAD_NO_VALUE:
            return "the value is missing, or output types were given without a value buffer";
        case TAVLO_LOAD_BAD_OUTPUT_TYPE:
            return "the output type is missing or not GOOD, NAN, NONE or SUSPECT";
        case TAVLO_LOAD_BAD_SIZE: return "the ASCII size is 0 or below, or not a number";
        case TAVLO_LOAD_BAD_TYPE:
            return "the data type is missing or not a keyword, or the device data type is not "
                   "a keyword";
        case TAVLO_LOAD_TOO_MANY_TAGS: return "the file has fewer lines than the count of tags";
        case TAVLO_LOAD_NO_MEMORY: return "no memory for the working copy of the names";
        case TAVLO_LOAD_NEGATIVE_COUNT: return "the count of tags is negative";
        default: return "not an error of a tag-list load";
    }
}
