// Script files: the messages a simulator sends, written by hand or recorded
// by the receiver.
#include "script_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace tavlo::script {

bool parse_script(std::istream &text, std::vector<records::Message> &messages, ScriptError &error) {
    messages.clear();
    ScriptReader reader(text);
    ScriptMessage message;
    for (;;) {
        switch (reader.next(message, error)) {
            case ScriptReader::Status::kMessage: messages.push_back(message.message); break;
            case ScriptReader::Status::kEnd: return true;
            case ScriptReader::Status::kError: messages.clear(); return false;
        }
    }
}

std::string ScriptFile::open(const std::string &path) {
    path_ = path;
    reader_.reset();
    file_.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file_) return "cannot open " + path + ": " + std::strerror(errno);
    // A folder opens, and gives no lines.
    struct stat status {};
    if (fstat(file_.get(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return path + ": is a folder, not a script";
    }
    reader_.emplace(file_.get());
    return "";
}

ScriptReader::Status ScriptFile::next(ScriptMessage &message, std::string &problem) {
    if (!reader_) return ScriptReader::Status::kEnd;
    ScriptError error;
    const ScriptReader::Status status = reader_->next(message, error);
    if (status == ScriptReader::Status::kError) {
        problem = path_ + ":" + std::to_string(error.line) + ": " + error.reason;
    }
    return status;
}

}  // namespace tavlo::script
