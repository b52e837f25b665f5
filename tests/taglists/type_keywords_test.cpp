// The data-type and device-data-type keywords.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tavlo_testsupport.h"

namespace {

using KeywordCodes = std::vector<std::pair<const char *, int32_t>>;

const KeywordCodes kDataTypes = {{"REAL", 1}, {"SHORT", 2},  {"ASCII", 3},
                                 {"LONG", 4}, {"DOUBLE", 5}, {"TIME", 6}};

const KeywordCodes kOnlyDeviceDataTypes = {{"ENUM", 8},   {"ORDINAL", 9}, {"DTIME", 10},
                                           {"EXTID", 11}, {"CBAW", 12},   {"CBST", 13},
                                           {"EU", 14},    {"DESC", 15}};

// Tokens that are no keyword of either table.
const char *const kNoKeywords[] = {"",         "real",        "Real",      "REAL ", " REAL",
                                   "REALX",    "STRUCT",      "STRUCTURE", "1",     "7",
                                   "\"REAL\"", "ENUMERATION", "enum",      "eu",    "DELTA TIME"};

TEST(TypeKeywords, DataTypesHaveTheirCodes) {
    for (const auto &[keyword, code] : kDataTypes) {
        EXPECT_EQ(data_type_from_keyword(keyword), code) << keyword;
    }
}

TEST(TypeKeywords, DeviceDataTypesHaveTheirCodes) {
    for (const auto &[keyword, code] : kDataTypes) {
        EXPECT_EQ(device_data_type_from_keyword(keyword), code) << keyword;
    }
    for (const auto &[keyword, code] : kOnlyDeviceDataTypes) {
        EXPECT_EQ(device_data_type_from_keyword(keyword), code) << keyword;
        EXPECT_EQ(data_type_from_keyword(keyword), -1) << keyword << " is no data type";
    }
}

TEST(TypeKeywords, AnyOtherTokenIsMinusOne) {
    for (const char *token : kNoKeywords) {
        EXPECT_EQ(data_type_from_keyword(token), -1) << '"' << token << '"';
        EXPECT_EQ(device_data_type_from_keyword(token), -1) << '"' << token << '"';
    }
    EXPECT_EQ(data_type_from_keyword(nullptr), -1);
    EXPECT_EQ(device_data_type_from_keyword(nullptr), -1);
}

}  // namespace
