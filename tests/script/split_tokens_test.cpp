// The splitter's word-at-a-time scan of bare tokens, next to a byte-by-byte
// split: tokens of every length at every place in the line, control bytes
// inside tokens, and a NUL byte anywhere as the line's one fault.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "script_text.h"

namespace {

using tavlo::script::Quoting;

// The tokens between blanks, byte by byte.
std::vector<std::string> split_by_blanks(const std::string &line) {
    std::vector<std::string> tokens;
    std::string token;
    for (const char c : line + ' ') {
        if (c != ' ' && c != '\t' && c != '\r') {
            token += c;
        } else if (!token.empty()) {
            tokens.push_back(token);
            token.clear();
        }
    }
    return tokens;
}

TEST(SplitTokens, BareTokensMatchAByteByByteSplit) {
    // Blanks, the bytes next to them and the first byte above the space.
    const std::string bytes = std::string(" \t\r\x01\x1f!a~\x7f\x80\xff", 11) + '\0' + '"';
    std::mt19937 random(7);
    for (int n = 0; n < 20000; ++n) {
        std::string line;
        const auto length = random() % 26;
        for (std::size_t i = 0; i < length; ++i) line += bytes[random() % bytes.size()];
        std::vector<std::string_view> tokens;
        std::string unescaped;
        const std::string reason = split_tokens(line, Quoting::kEscapes, tokens, unescaped);
        const std::string shown = testing::PrintToString(line);
        if (line.find('\0') != std::string::npos) {
            // Before a quote that is not closed, or anything else.
            ASSERT_EQ(reason, "a token holds a NUL byte") << shown;
        } else if (line.find('"') == std::string::npos) {
            ASSERT_EQ(reason, "") << shown;
            ASSERT_EQ(std::vector<std::string>(tokens.begin(), tokens.end()), split_by_blanks(line))
                << shown;
        }
    }
}

TEST(SplitTokens, ANulByteInOrAfterQuotesIsTheLinesFault) {
    const std::string nul(1, '\0');
    for (const Quoting quoting : {Quoting::kPlain, Quoting::kEscapes}) {
        for (const std::string &line : {"\"a" + nul + "b\" c", "\"a b\" c" + nul, "a \"b" + nul,
                                        "a \"b\\\"" + nul + "\"", "\"a\\x00\" " + nul}) {
            std::vector<std::string_view> tokens;
            std::string unescaped;
            EXPECT_EQ(split_tokens(line, quoting, tokens, unescaped), "a token holds a NUL byte")
                << testing::PrintToString(line);
        }
    }
}

}  // namespace
