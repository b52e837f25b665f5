// Where the simulator's messages come from: the plant, or a script.
#include "message_source.h"

#include <sys/stat.h>

namespace tavlo::devsim {

bool PlantSource::next(script::ScriptMessage &message) {
    plant_.next(message.message);
    message.received.reset();
    return true;
}

std::string ScriptSource::open(const std::string &path, int64_t passes) {
    passes_ = passes;
    // A pipe, a FIFO or a device gives its lines once: a second pass would
    // be empty. (A folder is no script, as open() says.)
    struct stat status {};
    if (passes != 1 && stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) &&
        !S_ISDIR(status.st_mode)) {
        return "--loop: needs a script that can be read again, and " + path +
               " is not a regular file";
    }
    std::string problem = file_.open(path);
    if (!problem.empty()) return problem;
    holding_first_ = file_.next(first_, problem) == script::ScriptReader::Status::kMessage;
    return problem;
}

bool ScriptSource::next(script::ScriptMessage &message) {
    if (holding_first_) {
        std::swap(message, first_);
        holding_first_ = false;
        pass_sent_ = true;
        return true;
    }
    for (;;) {
        switch (file_.next(message, problem_)) {
            case script::ScriptReader::Status::kMessage:
                starts_pass_ = !pass_sent_;
                pass_sent_ = true;
                return true;
            case script::ScriptReader::Status::kError: return false;
            case script::ScriptReader::Status::kEnd: break;
        }
        // A pass that gave nothing would give nothing again.
        if (!pass_sent_ || (passes_ != 0 && pass_ >= passes_)) return false;
        ++pass_;
        pass_sent_ = false;
        problem_ = file_.rewind();
        if (!problem_.empty()) return false;
    }
}

}  // namespace tavlo::devsim
