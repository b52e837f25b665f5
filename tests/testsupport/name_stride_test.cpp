// name_stride_of_read: the stride of a read's tag-name array by the length
// of its first name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavlo_testsupport.h"

namespace {

TEST(NameStrideOfRead, AFirstNameOfAtMost40CharactersIsTheCompactLayout) {
    const std::string compact_entry = "BOILER.TEMPERATURE" + std::string(21, ' ');
    const std::string full_entry = "COOLING.PUMP" + std::string(243, ' ');
    for (const auto &[first_name, stride] :
         std::vector<std::pair<std::string, int32_t>>{{"", 40},
                                                      {compact_entry, 40},
                                                      {std::string(40, 'N'), 40},
                                                      {std::string(41, 'N'), 256},
                                                      {full_entry, 256}}) {
        EXPECT_EQ(name_stride_of_read(first_name.c_str()), stride) << first_name.size();
    }
    EXPECT_EQ(name_stride_of_read(nullptr), 40);
    // Exactly 41 bytes on the heap and no NUL among them: a read past them
    // shows under AddressSanitizer.
    const std::vector<char> names(41, 'N');
    EXPECT_EQ(name_stride_of_read(names.data()), 256);
}

}  // namespace
