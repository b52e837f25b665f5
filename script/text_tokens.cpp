// Blank-separated tokens of a line of text, both ways.
#include "text_tokens.h"

#include <array>

#include "script_words.h"

namespace tavlo::script {

namespace {

constexpr char kNulInToken[] = "a token holds a NUL byte";
constexpr char kQuoteNotClosed[] = "a quote is not closed before the end of the line";

// The token in quotes from line[i], after its opening quote; i ends after
// the closing quote. Its text is a view of the line when it holds no
// escape, else it goes to the end of `unescaped`. Returns nullptr, or why
// the line cannot be split: a NUL byte in the quotes (or to the line's end
// when they are not closed), else the line's end before the closing quote.
const char *take_quoted(std::string_view line, Quoting quoting, std::size_t &i,
                        std::string &unescaped, std::string_view &token) {
    const std::size_t start = i;
    const std::size_t first =
        quoting == Quoting::kEscapes ? line.find_first_of("\"\\", i) : line.find('"', i);
    if (first != std::string_view::npos && line[first] == '"') {
        token = line.substr(start, first - start);
        i = first + 1;
        return token.find('\0') == std::string_view::npos ? nullptr : kNulInToken;
    }
    // Unescaped text is never longer than the line: the views into it stay.
    unescaped.reserve(line.size());
    const std::size_t from = unescaped.size();
    while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
            token = std::string_view(unescaped).substr(from);
            return nullptr;
        }
        if (c == '\0') return kNulInToken;
        if (c == '\\' && i < line.size()) {
            const char next = line[i];
            if (next == '"' || next == '\\') {
                unescaped += next;
                ++i;
                continue;
            }
            if (next == 'x' && i + 2 < line.size() && hex_digit(line[i + 1]) >= 0 &&
                hex_digit(line[i + 2]) >= 0) {
                unescaped +=
                    static_cast<char>(hex_digit(line[i + 1]) * 16 + hex_digit(line[i + 2]));
                i += 3;
                continue;
            }
        }
        unescaped += c;
    }
    return kQuoteNotClosed;
}

// What a byte of a token is when written: bare (as it is, outside quotes or
// in), a quote (bare but for a token's first byte; escaped in quotes), a
// blank (as it is in quotes), escaped with a backslash in quotes, or in hex
// in quotes (what a line cannot show).
enum ByteClass : unsigned char { kBare, kQuote, kBlank, kEscaped, kHexByte };

constexpr auto kByteClass = [] {
    std::array<ByteClass, 256> classes{};
    for (std::size_t c = 0; c < classes.size(); ++c) {
        if (c < 0x20 || c == 0x7f) {
            classes[c] = kHexByte;
        } else if (c == ' ') {
            classes[c] = kBlank;
        } else if (c == '\\') {
            classes[c] = kEscaped;
        } else if (c == '"') {
            classes[c] = kQuote;
        } else {
            classes[c] = kBare;
        }
    }
    return classes;
}();

}  // namespace

const char *split_tokens(std::string_view line, Quoting quoting,
                         std::vector<std::string_view> &tokens, std::string &unescaped) {
    tokens.clear();
    unescaped.clear();
    // A NUL byte anywhere is the line's fault, before an open quote at its
    // end: each part of the line is looked at for it as it is passed.
    const char *const first = line.data();
    const char *const end = first + line.size();
    for (const char *at = first;;) {
        while (at != end && is_token_blank(*at)) ++at;
        if (at == end) return nullptr;
        if (*at == '"') {
            auto i = static_cast<std::size_t>(at - first) + 1;
            if (const char *reason =
                    take_quoted(line, quoting, i, unescaped, tokens.emplace_back())) {
                return reason;
            }
            at = first + i;
            continue;
        }
        const char *const start = at;
        for (; at != end && !is_token_blank(*at); ++at) {
            if (*at == '\0') return kNulInToken;
        }
        tokens.emplace_back(start, static_cast<std::size_t>(at - start));
        if (at == end) return nullptr;
        ++at;  // the blank after the token
    }
}

void append_token(TextBuffer &line, std::string_view text) {
    // Copied as it is while every byte may stand bare; started again in
    // quotes at the first that may not. Room for the quoted form first.
    char *const start = line.room(4 * text.size() + 2);
    std::size_t i = 0;
    while (i < text.size() && kByteClass[static_cast<unsigned char>(text[i])] <= kQuote) {
        start[i] = text[i];
        ++i;
    }
    if (i == text.size() && i > 0 && text.front() != '"') {
        line.commit(start + i);
        return;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    char *at = start;
    *at++ = '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (kByteClass[byte]) {
            case kBare:
            case kBlank: *at++ = c; break;
            case kQuote:
            case kEscaped:
                *at++ = '\\';
                *at++ = c;
                break;
            default:
                *at++ = '\\';
                *at++ = 'x';
                *at++ = kHex[byte >> 4];
                *at++ = kHex[byte & 0xf];
        }
    }
    *at++ = '"';
    line.commit(at);
}

}  // namespace tavlo::script
