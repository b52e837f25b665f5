// The short type-name table of the codes -1 to 28.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tavlo_testsupport.h"

namespace {

TEST(ShortTypeNames, EveryCodeHasItsSixCharacterName) {
    const char *const expected[] = {"INVDT ", "?0?   ", "REAL  ", "SHORT ", "ASCII ", "LONG  ",
                                    "DOUBLE", "TIME  ", "STRUCT", "ENUM  ", "ORDINA", "DTIME ",
                                    "EXTID ", "CBAW  ", "CBST  ", "EU    ", "DESC  ", "USHORT",
                                    "ULONG ", "QREAL ", "QSHORT", "QLONG ", "QDOUBL", "ASC24 ",
                                    "TOLERA", "QUALIT", "BIT   ", "3BCD  ", "4BCD  ", "BLOCK "};
    for (int32_t code = -1; code <= 28; ++code) {
        const char *name = short_type_name(code);
        ASSERT_NE(name, nullptr) << "code " << code;
        EXPECT_EQ(std::strlen(name), 6u);
        EXPECT_STREQ(name, expected[code + 1]) << "code " << code;
    }
}

TEST(ShortTypeNames, CodesOutsideTheTableHaveNone) {
    for (int32_t code : {-2, 29, 1000, INT32_MIN}) EXPECT_EQ(short_type_name(code), nullptr);
}

}  // namespace
