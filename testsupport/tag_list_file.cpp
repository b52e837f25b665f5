// The file of a tag-list load: asked for at the console and opened.
#include "tag_list_file.h"

#include <sys/stat.h>

#include "load_errors.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

namespace {
// The file name: at most 255 characters and a NUL.
constexpr int32_t kFileNameSize = 256;

// A folder opens for reading, but holds no lines to read.
bool is_folder(std::FILE *file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

TagListFile open_tag_list_file(StatusBlock *block) {
    char file_name[kFileNameSize];
    prompt_line("\n\nPlease enter filename: ", file_name, kFileNameSize);
    TagListFile file(std::fopen(file_name, "r"));
    if (file && is_folder(file.get())) file.reset();
    if (!file) {
        std::printf("\nError opening tag list file '%s'", file_name);
        record_load_error(block, TAVLO_LOAD_OPEN_FAILED);
    }
    return file;
}

}  // namespace tavlo::ts
