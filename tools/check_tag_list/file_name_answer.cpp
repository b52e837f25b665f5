// Answers the loader's file-name prompt with a name from the command line.
#include "file_name_answer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace tavlo::check {

namespace {
// The longest file name the loader reads from its prompt.
constexpr std::size_t kLongestFileName = 255;
}  // namespace

std::string file_name_problem(const char *file_name) {
    if (std::strlen(file_name) > kLongestFileName) return "longer than 255 characters";
    struct stat status {};
    if (stat(file_name, &status) == 0 && S_ISDIR(status.st_mode)) {
        return "is a folder, not a tag-list file";
    }
    return "";
}

bool answer_file_name(const char *file_name) {
    // At most 255 characters and a line feed fit a pipe's buffer, so the
    // write does not wait for a reader.
    const std::string answer = std::string(file_name) + "\n";
    int ends[2];
    if (pipe(ends) != 0) return false;
    const bool written =
        write(ends[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
    close(ends[1]);
    const bool moved = written && dup2(ends[0], STDIN_FILENO) == STDIN_FILENO;
    close(ends[0]);
    return moved;
}

}  // namespace tavlo::check
