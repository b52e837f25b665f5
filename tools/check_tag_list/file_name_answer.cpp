// Answers the loader's file-name prompt with a name from the command line.
#include "file_name_answer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "files.h"

namespace tavlo::check {

namespace {
// The longest file name the loader reads from its prompt.
constexpr std::size_t kLongestFileName = 255;
// What the loader prints to ask for the file name.
constexpr char kLoaderPrompt[] = "\n\nPlease enter filename: ";

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
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
    if (posix::make_pipe(ends) != 0) return false;
    const bool written = posix::write_to(ends[1], answer.data(), answer.size()) ==
                         static_cast<ssize_t>(answer.size());
    close(ends[1]);
    const bool moved = written && dup2(ends[0], STDIN_FILENO) == STDIN_FILENO;
    close(ends[0]);
    return moved;
}

bool run_without_prompt(const std::function<void()> &check) {
    if (std::fflush(stdout) != 0) return false;
    const std::unique_ptr<std::FILE, FileCloser> held(std::tmpfile());
    const int saved = held ? dup(STDOUT_FILENO) : -1;
    if (saved < 0) return false;
    if (dup2(fileno(held.get()), STDOUT_FILENO) != STDOUT_FILENO) {
        close(saved);
        return false;
    }
    check();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::string printed;
    std::rewind(held.get());
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, held.get())) > 0;) {
        printed.append(buffer, got);
    }
    const std::size_t prompt_size = sizeof kLoaderPrompt - 1;
    const std::size_t from = printed.compare(0, prompt_size, kLoaderPrompt) == 0 ? prompt_size : 0;
    std::fwrite(printed.data() + from, 1, printed.size() - from, stdout);
    return true;
}

}  // namespace tavlo::check
