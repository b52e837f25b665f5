// Script files: the messages a simulator sends, written by hand.
#include "script_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "line_reader.h"
#include "text_tokens.h"

namespace tavlo::script {

bool parse_script(std::istream &text, std::vector<records::Message> &messages, ScriptError &error) {
    messages.clear();
    LineReader lines(text);
    ScriptBuilder builder;
    std::string line;
    std::vector<std::string> tokens;
    for (;;) {
        const LineReader::Status status = lines.next(line);
        if (status == LineReader::Status::kEnd) break;
        if (status == LineReader::Status::kTooLong) {
            error = ScriptError{lines.number(), "a line is longer than 1 MiB (1048576 bytes)"};
            return false;
        }
        // Blank lines and comments, whatever the comment holds.
        const std::size_t first = line.find_first_not_of(kTokenBlanks);
        if (first == std::string::npos || line[first] == '#') continue;
        if (const char *reason = split_tokens(line, tokens)) {
            error = ScriptError{lines.number(), reason};
            return false;
        }
        if (!builder.take(tokens, lines.number(), error)) return false;
    }
    messages = builder.take_messages();
    return true;
}

std::string read_script_file(const std::string &path, std::vector<records::Message> &messages) {
    std::ifstream file(path);
    if (!file) return "cannot open " + path + ": " + std::strerror(errno);
    // A folder opens, and reads as if it were empty.
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        return path + ": is a folder, not a script";
    }
    ScriptError error;
    if (!parse_script(file, messages, error)) {
        return path + ":" + std::to_string(error.line) + ": " + error.reason;
    }
    return "";
}

}  // namespace tavlo::script
