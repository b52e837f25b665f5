// tavlo_check_tag_list: loads a tag-list file and prints what came of it.
#include <cstdio>

#include "check_options.h"
#include "file_name_answer.h"
#include "standard_output.h"
#include "tag_list_check.h"

using namespace tavlo::check;

namespace {
constexpr int kExitLoaded = 0;
constexpr int kExitLoadFailed = 1;
}  // namespace

int main(int argc, char **argv) {
    const ParsedCommandLine command_line = parse_command_line(argc, argv);
    if (command_line.stop) return tavlo::cli::finish(*command_line.stop);
    const CheckOptions &options = command_line.options;
    bool loaded = false;
    const auto check = [&] { loaded = check_tag_list(options.format, options.count); };
    if (options.file == nullptr) {
        check();
    } else if (!answer_file_name(options.file)) {
        std::fprintf(stderr, "%s: cannot pass the file name to the loader\n", kProgramName);
        return kExitLoadFailed;
    } else if (!run_without_prompt(check)) {
        check();  // the prompt shows, and the load is all the same
    }
    return tavlo::cli::close_standard_output(kProgramName, loaded ? kExitLoaded : kExitLoadFailed);
}
