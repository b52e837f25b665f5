// next_token: words, quoted tokens, and where each leaves the position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavlo_testsupport.h"

namespace {

struct Expected {
    std::string text;
    int32_t length;
    int32_t position;  // after the token
};

struct TokenCase {
    const char *what;
    std::string line;
    int32_t field_size;
    std::vector<Expected> tokens;  // in order, the last one after the end
};

const TokenCase kCases[] = {
    {"words",
     "FLOW1 REAL DOUBLE\n",
     256,
     {{"FLOW1", 5, 6}, {"REAL", 4, 11}, {"DOUBLE", 6, 18}, {"", 0, 18}}},
    {"tabs and runs of blanks",
     "A\tB \t C\n",
     256,
     {{"A", 1, 2}, {"B", 1, 6}, {"C", 1, 8}, {"", 0, 8}}},
    {"leading blanks", "   LEAD", 256, {{"LEAD", 4, 7}, {"", 0, 7}}},
    {"quoted token with blanks",
     "\"MY TAG\" REAL\n",
     256,
     {{"MY TAG", 6, 9}, {"REAL", 4, 14}, {"", 0, 14}}},
    {"two adjacent quotes", "\"\" REAL", 256, {{"", 0, 3}, {"REAL", 4, 7}}},
    {"quoted token between words",
     "A \"b  c\" D",
     256,
     {{"A", 1, 2}, {"b  c", 4, 9}, {"D", 1, 10}}},
    {"unterminated quote ends with the line",
     "N \"OPEN END\n",
     256,
     {{"N", 1, 2}, {"OPEN END", 8, 12}, {"", 0, 12}}},
    {"unterminated quote without a newline", "\"x y", 256, {{"x y", 3, 4}, {"", 0, 4}}},
    {"token at the end of the line without a newline",
     "NAME LAST",
     256,
     {{"NAME", 4, 5}, {"LAST", 4, 9}, {"", 0, 9}}},
    {"a quote inside a word is part of it", "ab\"cd\" e", 256, {{"ab\"cd\"", 6, 7}, {"e", 1, 8}}},
    {"empty line", "", 256, {{"", 0, 0}}},
    {"line of a newline only", "\n", 256, {{"", 0, 1}}},
    {"carriage return before the newline", "A\r\n", 256, {{"A", 1, 1}, {"", 0, 3}}},
    {"a long word is cut at the field and goes on as the next token",
     "ABCDEFG H",
     4,
     {{"ABC", 3, 3}, {"DEF", 3, 6}, {"G", 1, 8}, {"H", 1, 9}}},
    {"a long quoted token is cut at the field and used up",
     "\"ABCDEF\" X",
     4,
     {{"ABC", 3, 9}, {"X", 1, 10}}},
};

TEST(NextToken, CutsEachLineIntoItsTokens) {
    for (const TokenCase &c : kCases) {
        int32_t position = 0;
        for (std::size_t t = 0; t < c.tokens.size(); ++t) {
            std::vector<char> field(static_cast<std::size_t>(c.field_size), '#');
            int32_t length = -5;
            next_token(c.line.c_str(), &position, field.data(), c.field_size, &length);
            EXPECT_EQ(std::string(field.data()), c.tokens[t].text) << c.what << ", token " << t;
            EXPECT_EQ(length, c.tokens[t].length) << c.what << ", token " << t;
            EXPECT_EQ(position, c.tokens[t].position) << c.what << ", token " << t;
        }
    }
}

TEST(NextToken, APositionOutsideTheLineGivesAnEmptyToken) {
    const char line[] = "AB CD";
    for (int32_t start : {-1, 6, 100}) {
        int32_t position = start;
        char field[8] = "xxxxxxx";
        int32_t length = -5;
        next_token(line, &position, field, sizeof field, &length);
        EXPECT_STREQ(field, "") << start;
        EXPECT_EQ(length, 0) << start;
        EXPECT_EQ(position, start);
    }
}

TEST(NextToken, AFieldWithoutRoomIsLeftAlone) {
    int32_t position = 0;
    char field[4] = "xyz";
    int32_t length = -5;
    next_token("ABC", &position, field, 0, &length);
    EXPECT_STREQ(field, "xyz");
    EXPECT_EQ(length, 0);
    EXPECT_EQ(position, 0);
}

TEST(NextToken, AFieldOfOneByteHoldsTheEmptyToken) {
    int32_t position = 0;
    char field[1] = {'x'};
    int32_t length = -5;
    next_token("  ABC", &position, field, 1, &length);
    EXPECT_EQ(field[0], '\0');
    EXPECT_EQ(length, 0);
    EXPECT_EQ(position, 2);
}

}  // namespace
