// Helpers of the tag-list tests: the files they write, and the status
// blocks as the loaders leave them.
#pragma once

#include <string>

#include "client_records.h"
#include "name_layouts.h"
#include "tavlo_testsupport.h"
#include "temporary_files.h"

namespace tavlo::testing {

// What every load prints first.
inline const std::string kPrompt = "\n\nPlease enter filename: ";

// A temporary tag-list file with the given content; removed when it goes.
class TagListFile : public TemporaryFile {
public:
    explicit TagListFile(const std::string &content) : TemporaryFile(content, "tavlo_tag_list") {}

    // What the user types at the loader's prompt.
    std::string answer() const { return path() + "\n"; }
};

// A block holding what no load leaves in one, so that clearing shows.
StatusBlock dirty_block();

// A block cleared by the client library.
StatusBlock cleared_block();

// A block holding the one error (10, code).
StatusBlock failed_block(int32_t code);

}  // namespace tavlo::testing
