// Blank-separated tokens of a line of text, double quotes around blanks.
#include "text_tokens.h"

namespace tavlo::sim {

std::vector<std::string> split_tokens(const std::string &line) {
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
        } else if (line[i] == '"') {
            const std::size_t end = line.find('"', i + 1);
            tokens.push_back(line.substr(i + 1, end == std::string::npos ? end : end - i - 1));
            i = end == std::string::npos ? line.size() : end + 1;
        } else {
            const std::size_t end = line.find_first_of(" \t\r", i);
            tokens.push_back(line.substr(i, end == std::string::npos ? end : end - i));
            i = end == std::string::npos ? line.size() : end;
        }
    }
    return tokens;
}

}  // namespace tavlo::sim
