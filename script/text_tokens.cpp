// Blank-separated tokens of a line of text, double quotes around blanks.
#include "text_tokens.h"

namespace tavlo::script {

const char *split_tokens(const std::string &line, std::vector<std::string> &tokens) {
    tokens.clear();
    if (line.find('\0') != std::string::npos) return "a token holds a NUL byte";
    std::size_t i = line.find_first_not_of(kTokenBlanks);
    while (i != std::string::npos) {
        std::size_t end = 0;
        if (line[i] == '"') {
            end = line.find('"', i + 1);
            if (end == std::string::npos) return "a quote is not closed before the end of the line";
            tokens.push_back(line.substr(i + 1, end - i - 1));
            ++end;
        } else {
            end = line.find_first_of(kTokenBlanks, i);
            tokens.push_back(line.substr(i, end == std::string::npos ? end : end - i));
        }
        i = end == std::string::npos ? end : line.find_first_not_of(kTokenBlanks, end);
    }
    return nullptr;
}

}  // namespace tavlo::script
