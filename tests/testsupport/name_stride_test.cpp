// name_stride_of_read: the stride of a read's tag-name array by the length
// of its first name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavlo_testsupport.h"

namespace {

TEST(NameStrideOfRead, AFirstNameOfAtMost40CharactersIsTheCompactLayout) {
    struct Case {
        std::string first_entry;
        int32_t stride;
    };
    const Case cases[] = {
        {std::string(1, '\0'), 40},
        {std::string(39, 'N') + '\0', 40},
        {"BOILER.TEMPERATURE" + std::string(21, ' ') + '\0', 40},  // a compact entry
        {std::string(40, 'N') + '\0', 40},
        {std::string(41, 'N') + '\0', 256},
        {"COOLING.PUMP" + std::string(243, ' ') + '\0', 256},  // a blank-padded 256-byte entry
    };
    for (const Case &c : cases) {
        EXPECT_EQ(name_stride_of_read(c.first_entry.c_str()), c.stride)
            << c.first_entry.size() - 1 << " characters";
    }
    EXPECT_EQ(name_stride_of_read(nullptr), 40);
}

TEST(NameStrideOfRead, ReadsNoMoreThan41Bytes) {
    // Exactly 41 bytes on the heap and no NUL among them: a read past them
    // shows under AddressSanitizer.
    const std::vector<char> names(41, 'N');
    EXPECT_EQ(name_stride_of_read(names.data()), 256);
}

}  // namespace
