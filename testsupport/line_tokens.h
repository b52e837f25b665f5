// The tokens of one line of a tag-list file, read from left to right.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tavlo_testsupport.h"

namespace tavlo::ts {

// A token in a field of N characters, and its length.
template <std::size_t N>
struct Token {
    char text[N];
    int32_t length;

    bool empty() const { return length == 0; }
};

// The token fields of a line: 256 characters each; values get 1200.
using Field = Token<256>;
using ValueField = Token<1200>;

class LineTokens {
public:
    explicit LineTokens(const char *line) : line_(line) {}

    // Cuts the next token into `token`; empty when the line has no more.
    template <std::size_t N>
    void read(Token<N> &token) {
        next_token(line_, &position_, token.text, static_cast<int32_t>(N), &token.length);
    }

private:
    const char *line_;
    int32_t position_ = 0;
};

}  // namespace tavlo::ts
