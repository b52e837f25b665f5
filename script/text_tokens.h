// Blank-separated tokens of a line of text, both ways. A token in double
// quotes may hold blanks (the quotes are not part of it). With escapes,
// within the quotes \" stands for a quote, \\ for a backslash and \xHH for
// any byte, and a backslash before anything else is itself; without, the
// token ends at the next quote, as in the scripts before escapes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "text_buffer.h"

namespace tavlo::script {

// The characters between tokens.
constexpr char kTokenBlanks[] = " \t\r";
inline bool is_token_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

enum class Quoting { kPlain, kEscapes };

// Splits `line` into `tokens`: views of the line, or of `unescaped` for a
// token whose quotes held escapes, valid while both stay as they are.
// Returns nullptr, or the reason why the line cannot be split: a quote that
// is not closed before the end of the line, or a NUL byte, which a line may
// not hold (\x00 puts one in a token).
const char *split_tokens(std::string_view line, Quoting quoting,
                         std::vector<std::string_view> &tokens, std::string &unescaped);

// Appends `text` as one token that split_tokens() with escapes gives back
// byte for byte:
// as it is when it can be, else in quotes, with \xHH for the bytes that a
// line cannot show (control characters, NUL) and \" and \\.
void append_token(TextBuffer &line, std::string_view text);

}  // namespace tavlo::script
