// The error that ends a tag-list load: recorded in the caller's block with
// the line it was found on, its message printed for a console load.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tavlo::ts {

class LoadErrors {
public:
    // Errors go into `block`; their messages are printed on standard output
    // when `print_messages` holds, else nowhere.
    LoadErrors(StatusBlock *block, bool print_messages)
        : block_(block), print_messages_(print_messages) {}

    // The line of the file being handled, counted from 1; 0 outside lines.
    void set_line(int32_t line) { line_ = line; }

    // Prints `message` as it stands (none for a null one) and records
    // (TAVLO_LOAD_FACILITY, code).
    void fail(int32_t code, const char *message = nullptr);

    // Prints "<what> for tag '<name>'" and records the code.
    void fail_for_tag(int32_t code, const char *what, const char *name);

    // "\nError in data type for tag '<name>'" and TAVLO_LOAD_BAD_TYPE.
    void fail_data_type(const char *name);

    // "\nError opening tag list file '<file name>'" and
    // TAVLO_LOAD_OPEN_FAILED.
    void fail_opening(const char *file_name);

    // "\nError: Too many tags" and TAVLO_LOAD_TOO_MANY_TAGS: the file ended
    // before the caller's count of lines.
    void fail_too_many_tags();

    bool failed() const { return failed_; }

    // The line on which the error was found; 0 without an error or for an
    // error that belongs to no line.
    int32_t error_line() const { return error_line_; }

private:
    StatusBlock *block_;
    bool print_messages_;
    bool failed_ = false;
    int32_t line_ = 0;
    int32_t error_line_ = 0;
};

}  // namespace tavlo::ts
