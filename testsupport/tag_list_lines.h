// The four line formats of a tag-list file: names only, types, values and
// deadbands.
#pragma once

#include <cstdint>

#include "load_errors.h"
#include "loaded_names.h"
#include "tavlo.h"

namespace tavlo::ts {

// The outputs that a caller passes to a tag-list load; all but `names` may
// be null.
struct TagListOutputs {
    char *names;
    TypeDescriptor *descriptors;
    void *values;
    OutputType *output_types;
    Deadband *deadbands;
};

enum class LineFormat { kNamesOnly, kTypes, kValues, kDeadbands };

// The format that the outputs select: no descriptors, names only; then
// deadbands before output types before types.
LineFormat line_format(const TagListOutputs &outputs);

// Handles the lines of one load in the format of its outputs. Values are
// appended one after another from the front of the value buffer.
class TagListLines {
public:
    TagListLines(const TagListOutputs &outputs, LoadedNames &names, LoadErrors &errors);

    // Handles the line of slot `slot`: stores its tag, or skips it leaving
    // the slot as it was, and returns true; or fails with the line's error
    // and returns false, storing nothing of the line.
    bool handle(int32_t slot, const char *line);

private:
    bool names_only_line(int32_t slot, const char *line);
    bool types_line(int32_t slot, const char *line);
    bool values_line(int32_t slot, const char *line);
    bool deadbands_line(int32_t slot, const char *line);

    TagListOutputs outputs_;
    LineFormat format_;
    LoadedNames &names_;
    unsigned char *value_cursor_;
    LoadErrors &errors_;
};

}  // namespace tavlo::ts
