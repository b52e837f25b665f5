// The three status lines: every code of the table, and the fallbacks.
#include <gtest/gtest.h>

#include <string>

#include "console_capture.h"
#include "status_lines.h"
#include "tavlo_testsupport.h"

namespace {

using tavlo::testing::capture_stdout;
using tavlo::testing::kStatusLines;
using tavlo::testing::StatusLine;

std::string status_lines(int32_t status, int32_t facility = 0, int32_t driver = 0) {
    const TagStatus tag_status{status, facility, driver};
    return capture_stdout([&] { print_tag_status(&tag_status); });
}

TEST(StatusText, EveryCodeOfTheTablePrintsItsLine) {
    EXPECT_EQ(sizeof kStatusLines / sizeof kStatusLines[0], 73u);
    for (const StatusLine &c : kStatusLines) {
        EXPECT_EQ(status_lines(c.code), std::string(c.line) + "\nFacility=0\nDriver Status=0")
            << "code " << c.code;
    }
}

TEST(StatusText, CodesWithoutAnEntryPrintTheFallback) {
    // -7 is the gap in the table; the others lie just outside it, or are
    // whole 32-bit values that a 16-bit mask would confuse with -32768.
    for (int32_t code : {-7, -73, 1, 32768, 65535, -65536, -32767, -32769, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(status_lines(code, 3, 4),
                  "\nUnknown status (" + std::to_string(code) + ")\nFacility=3\nDriver Status=4")
            << "code " << code;
    }
}

TEST(StatusText, FacilityAndDriverStatusPrintSigned) {
    EXPECT_EQ(status_lines(-6, -20, -2147483647),
              "\nStatus is BAD (-6)\nFacility=-20\nDriver Status=-2147483647");
}

}  // namespace
