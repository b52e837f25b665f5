// Blank-separated tokens of a line of text, both ways.
#include "text_tokens.h"

#include <cstring>

#include "script_words.h"

namespace tavlo::script {

namespace {

// The token in quotes from line[i], after its opening quote; i ends after
// the closing quote. False when the line ends first.
bool take_quoted(const std::string &line, std::size_t &i, std::string &token) {
    while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') return true;
        if (c == '\\' && i < line.size()) {
            const char next = line[i];
            if (next == '"' || next == '\\') {
                token += next;
                ++i;
                continue;
            }
            if (next == 'x' && i + 2 < line.size() && hex_digit(line[i + 1]) >= 0 &&
                hex_digit(line[i + 2]) >= 0) {
                token += static_cast<char>(hex_digit(line[i + 1]) * 16 + hex_digit(line[i + 2]));
                i += 3;
                continue;
            }
        }
        token += c;
    }
    return false;
}

bool is_blank(char c) {
    return std::strchr(kTokenBlanks, c) != nullptr && c != '\0';
}

bool shows_as_it_is(unsigned char c) {
    return c >= 0x20 && c != 0x7f;
}

}  // namespace

const char *split_tokens(const std::string &line, std::vector<std::string> &tokens) {
    tokens.clear();
    if (line.find('\0') != std::string::npos) return "a token holds a NUL byte";
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && is_blank(line[i])) ++i;
        if (i == line.size()) return nullptr;
        std::string &token = tokens.emplace_back();
        if (line[i] == '"') {
            ++i;
            if (!take_quoted(line, i, token)) {
                return "a quote is not closed before the end of the line";
            }
        } else {
            const std::size_t start = i;
            while (i < line.size() && !is_blank(line[i])) ++i;
            token.assign(line, start, i - start);
        }
    }
}

void append_token(std::string &line, std::string_view text) {
    bool bare = !text.empty() && text.front() != '"';
    for (const char c : text)
        bare = bare && !is_blank(c) && shows_as_it_is(static_cast<unsigned char>(c));
    if (bare) {
        line += text;
        return;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    line += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            line += '\\';
            line += c;
        } else if (shows_as_it_is(byte)) {
            line += c;
        } else {
            line += "\\x";
            line += kHex[byte >> 4];
            line += kHex[byte & 0xf];
        }
    }
    line += '"';
}

}  // namespace tavlo::script
