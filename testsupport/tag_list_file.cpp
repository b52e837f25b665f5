// The file of a tag-list load: named by the caller or asked for at the
// console, and opened.
#include "tag_list_file.h"

#include <sys/stat.h>

#include "tavlo_testsupport.h"

namespace tavlo::ts {

namespace {
// The file name asked for: at most 255 characters and a NUL.
constexpr int32_t kFileNameSize = 256;

// A folder opens for reading, but holds no lines to read.
bool is_folder(std::FILE *file) {
    struct stat status {};
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

TagListFile open_tag_list_file(const char *path, LoadErrors &errors) {
    TagListFile file(path == nullptr ? nullptr : std::fopen(path, "r"));
    if (file && is_folder(file.get())) file.reset();
    if (!file) errors.fail_opening(path == nullptr ? "" : path);
    return file;
}

TagListFile open_asked_tag_list_file(LoadErrors &errors) {
    char file_name[kFileNameSize];
    prompt_line("\n\nPlease enter filename: ", file_name, kFileNameSize);
    return open_tag_list_file(file_name, errors);
}

}  // namespace tavlo::ts
